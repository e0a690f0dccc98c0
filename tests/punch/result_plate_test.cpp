#include "punch/result_plate.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/time_text.h"

namespace skarvel {
namespace {

struct PlateFixture : ::testing::Test {
    Competition c;
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};

    void SetUp() override {
        Runner* r = c.tables.runners[c.new_record(kRunners)];
        r->start_number = 42;
        set_field_text(r->name, utf8_to_cp1251("Петров Иван"));
        r->result = parse_time_text("00:45:12,34");
        c.rebuild_number_index();
        for (int n : {42, 7}) {
            FinishLine* l = c.tables.finish_lines[c.new_record(kFinishLines)];
            l->start_number = static_cast<std::int16_t>(n);
            l->set_time(100);
        }
        c.view.table = kFinishLines;
        c.info.time_precision = 2;
    }
};

TEST_F(PlateFixture, PrintsResultAndNameThenMovesDown) {
    EXPECT_TRUE(print_result_plate(c, env));
    ASSERT_EQ(printers.documents.size(), 1u);
    const auto& doc = printers.documents[0];
    EXPECT_EQ(doc.name, utf8_to_cp1251("Печать плашки"));
    ASSERT_EQ(doc.pages.size(), 1u);
    const auto& page = doc.pages[0];
    ASSERT_EQ(page.items.size(), 2u);
    EXPECT_EQ(page.items[0].text, "45:12,34");
    EXPECT_EQ(page.items[0].x_mm, 10);
    EXPECT_EQ(page.items[0].y_mm, 61);
    EXPECT_EQ(page.items[1].text, utf8_to_cp1251("42 Петров Иван              "));
    EXPECT_EQ(page.items[1].x_mm, 7);
    EXPECT_EQ(page.items[1].y_mm, 128);
    ASSERT_EQ(page.custom_fonts.size(), 2u);
    EXPECT_EQ(page.custom_fonts[0].height_dots, 1500);  // 2.5 inches at 600 dpi
    EXPECT_EQ(page.custom_fonts[0].page_font.face, "Arial Cyr");
    EXPECT_FALSE(page.custom_fonts[0].page_font.fixed_pitch);
    EXPECT_EQ(page.custom_fonts[1].height_dots, 200);
    EXPECT_EQ(c.view.cursor[kFinishLines], 1);
    EXPECT_EQ(printers.faults[0], 0);
}

TEST_F(PlateFixture, NothingWithoutRunnerLineOrFinishTable) {
    c.view.cursor[kFinishLines] = 1;  // number 7: nobody
    EXPECT_FALSE(print_result_plate(c, env));
    c.view.cursor[kFinishLines] = 2;  // no line
    EXPECT_FALSE(print_result_plate(c, env));
    c.view.cursor[kFinishLines] = 0;
    c.view.table = kRunners;
    EXPECT_FALSE(print_result_plate(c, env));
    EXPECT_TRUE(printers.documents.empty());
    EXPECT_EQ(c.view.cursor[kFinishLines], 0);
}

TEST_F(PlateFixture, PrinterFailureKeepsCursor) {
    printers.fail_with = "CreatePrinterDC = 0";
    EXPECT_FALSE(print_result_plate(c, env));
    EXPECT_EQ(prompts.messages.back(), "CreatePrinterDC = 0");
    EXPECT_EQ(c.view.cursor[kFinishLines], 0);
}

}  // namespace
}  // namespace skarvel
