#include <frame/description.h>

#include <gtest/gtest.h>

namespace {

using frame::ParseFormDescription;

TEST(FormDescription, ReadsColumnsAsTheDesignerTabulatesThem) {
    const auto d = ParseFormDescription(
        "# comment\n"
        "Form1 | form | 45,330 | 6450 x 6375 | \"半透明表示サンプル\" | scale in pixels; fixed single border; no "
        "maximise "
        "or minimise button; starts at the Windows default place | Unload -> Form_Unload\n"
        "\n"
        "Label2(10) | label | 480, 120 | 375 x 255 | \"a\\r\\nb \\\"q\\\" \\\\ | ; x\" | font \"ＭＳ Ｐゴシック\" 9.75 "
        "pt, "
        "character set 128; text centred | MouseDown -> Label2_MouseDown; Click -> Label2_Click\n"
        "Timer1 | timer | - | - | - | disabled at start | Timer -> Timer1_Timer\n");
    EXPECT_EQ(d.form.name, "Form1");
    EXPECT_EQ(d.form.caption, "半透明表示サンプル");
    EXPECT_EQ(d.form.width, 6450);
    EXPECT_EQ(d.form.height, 6375);
    EXPECT_TRUE(d.form.settings.scalePixels);
    EXPECT_EQ(d.form.settings.border, frame::BorderSetting::FixedSingle);
    EXPECT_TRUE(d.form.settings.noMaxMinButtons);
    ASSERT_EQ(d.controls.size(), 2u);

    const auto& label = d.controls[0];
    EXPECT_EQ(label.FullName(), "Label2(10)");
    EXPECT_EQ(label.left, 480);
    EXPECT_EQ(label.top, 120);
    EXPECT_EQ(label.caption, "a\r\nb \"q\" \\ | ; x");
    ASSERT_TRUE(label.settings.font);
    EXPECT_EQ(label.settings.font->name, "ＭＳ Ｐゴシック");
    EXPECT_DOUBLE_EQ(label.settings.font->points, 9.75);
    EXPECT_EQ(label.settings.font->characterSet, 128);
    EXPECT_TRUE(label.settings.textCentered);
    ASSERT_EQ(label.events.size(), 2u);
    EXPECT_EQ(label.events[1].event, "Click");
    EXPECT_EQ(label.events[1].handler, "Label2_Click");

    EXPECT_FALSE(d.controls[1].hasPlace);
    EXPECT_TRUE(d.controls[1].settings.disabledAtStart);
}

TEST(FormDescription, RefusesWhatItCannotBuild) {
    const char* const bad[] = {
        "",                                                        // no form
        "Command1 | command button | 0,0 | 1 x 1 | - | - | -",     // control before the form
        "Form1 | form | 0,0 | 1 x 1 | - | - |",                    // six columns
        "Form1 | window | 0,0 | 1 x 1 | - | - | -",                // unknown kind
        "Form1 | form | 0 0 | 1 x 1 | - | - | -",                  // place without comma
        "Form1 | form | 0,0 | 1 by 1 | - | - | -",                 // size without x
        "Form1 | form | 0,0 | 1 x 1 | unquoted | - | -",           // caption not quoted
        "Form1 | form | 0,0 | 1 x 1 | \"\\t\" | - | -",            // unknown escape
        "Form1 | form | 0,0 | 1 x 1 | - | sparkly | -",            // unknown setting
        "Form1 | form | 0,0 | 1 x 1 | - | background FFFFFF | -",  // colour without &H..&
        "Form1 | form | 0,0 | 1 x 1 | - | - | Load Form_Load",     // event without arrow
        "Form1 | form | 0,0 | 1 x 1 | - | - | -\nForm2 | form | 0,0 | 1 x 1 | - | - | -",
        "Form1 | form | 0,0 | 1 x 1 | - | - | -\nA | label | 0,0 | 1 x 1 | - | - | -\nA | label | 0,0 | 1 x 1 | - | - "
        "| -",
    };
    for (const char* text : bad) {
        EXPECT_THROW(ParseFormDescription(text), std::invalid_argument) << text;
    }
}

}  // namespace
