// The process-wide register of held serial ports.
#include "platform/port_registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace skarvel {
namespace {

TEST(PortRegistry, OneHolderPerPortAndLinksAreThePort) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("skarvel-ports-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "ttyX").put('x');
#ifdef _WIN32
    fs::create_directories(dir / "sub");  // no symbolic links: another spelling of the same path
    fs::path link_path = dir / "sub" / ".." / "ttyX";
#else
    fs::create_symlink(dir / "ttyX", dir / "link");
    fs::path link_path = dir / "link";
#endif
    std::string device = (dir / "ttyX").string(), link = link_path.string();

    PortClaim board, radio, other;
    ASSERT_TRUE(claim_serial_port(device, Txt::kPortHolderBoard, board));
    EXPECT_TRUE(board);
    Txt held_by = Txt::kPortHolderCards;
    EXPECT_FALSE(claim_serial_port(link, Txt::kPortHolderRadio, radio, &held_by));
    EXPECT_FALSE(radio);
    EXPECT_EQ(held_by, Txt::kPortHolderBoard);
    EXPECT_EQ(serial_port_holder(device), Txt::kPortHolderBoard);
    EXPECT_TRUE(claim_serial_port(device + "-other", Txt::kPortHolderCards, other));

    PortClaim moved = std::move(board);
    EXPECT_FALSE(board);
    moved.release();
    EXPECT_EQ(serial_port_holder(device), std::nullopt);
    EXPECT_TRUE(claim_serial_port(link, Txt::kPortHolderRadio, radio));
    // No device at all: nobody holds it, and nothing is claimed.
    PortClaim none;
    EXPECT_TRUE(claim_serial_port("", Txt::kPortHolderCards, none));
    EXPECT_FALSE(none);
    LanguageTable english;
    english.build(UiLanguage::kEnglish);
    EXPECT_EQ(port_busy_message(english, "/dev/ttyS0", Txt::kPortHolderRadio),
              "Port /dev/ttyS0 is in use: radio control reading. Stop that first.");
    radio.release();
    other.release();
    fs::remove_all(dir);
}

// A holder told to stop is "ending": one claim may queue behind it and takes the port over when
// it lets go; nobody else gets in meanwhile, and a withdrawn claim leaves the port free.
TEST(PortRegistry, OneClaimQueuesBehindAnEndingHolder) {
    const std::string device = "/dev/skarvel-queue-test-" + std::to_string(::getpid());
    PortClaim cards, radio, board;
    ASSERT_EQ(claim_serial_port_queued(device, Txt::kPortHolderCards, cards), ClaimResult::kHeld);
    Txt held_by = Txt::kPortHolderBoard;
    // Not ending yet: nobody may queue.
    EXPECT_EQ(claim_serial_port_queued(device, Txt::kPortHolderRadio, radio, &held_by),
              ClaimResult::kBusy);
    EXPECT_EQ(held_by, Txt::kPortHolderCards);
    cards.mark_ending();
    ASSERT_EQ(claim_serial_port_queued(device, Txt::kPortHolderRadio, radio), ClaimResult::kQueued);
    EXPECT_TRUE(radio);
    EXPECT_FALSE(radio.held());
    // A third is told who will hold it; the ending one still holds it.
    EXPECT_EQ(claim_serial_port_queued(device, Txt::kPortHolderBoard, board, &held_by),
              ClaimResult::kBusy);
    EXPECT_EQ(held_by, Txt::kPortHolderRadio);
    EXPECT_EQ(serial_port_holder(device), Txt::kPortHolderCards);
    // Giving up at once (told to): the queue is empty again.
    EXPECT_FALSE(radio.wait_until_held(
        std::chrono::milliseconds(0), [] { return true; }, &held_by));
    EXPECT_EQ(held_by, Txt::kPortHolderCards);
    EXPECT_FALSE(radio);

    ASSERT_EQ(claim_serial_port_queued(device, Txt::kPortHolderRadio, radio), ClaimResult::kQueued);
    std::thread ender([&cards] { cards.release(); });
    EXPECT_TRUE(radio.wait_until_held(std::chrono::minutes(5), [] { return false; }));
    ender.join();
    EXPECT_TRUE(radio.held());
    EXPECT_EQ(serial_port_holder(device), Txt::kPortHolderRadio);
    radio.release();
    EXPECT_EQ(serial_port_holder(device), std::nullopt);
    // UDP ports are ports too; port 0 (any) is held by nobody.
    PortClaim server;
    EXPECT_EQ(claim_udp_port_queued(0, Txt::kPortHolderServer, server), ClaimResult::kHeld);
    EXPECT_FALSE(server);
}

}  // namespace
}  // namespace skarvel
