// The process-wide register of held serial ports.
#include "platform/port_registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace skarvel {
namespace {

TEST(PortRegistry, OneHolderPerPortAndLinksAreThePort) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("skarvel-ports-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "ttyX").put('x');
    fs::create_symlink(dir / "ttyX", dir / "link");
    std::string device = (dir / "ttyX").string(), link = (dir / "link").string();

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

}  // namespace
}  // namespace skarvel
