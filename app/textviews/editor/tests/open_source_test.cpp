// OpenSourceAtLine through the application's source template: the file
// opens (or its open document is taken) and its first view shows the line
// at the top, at the left edge, also past the 16 bits of a scroll message
// and past the part of the file loaded so far.
#include <string>

#include "editor_fixture.h"

namespace editor::test {
namespace {

std::string NumberedLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "int line_" + std::to_string(i) + ";\r\n";
    return text;
}

TEST_F(EditorTest, OpenSourceAtLinePutsTheLineAtTheTopOfTheFirstView)
{
    CQEditDoc* doc = Open("long.c", NumberedLines(70000));
    ASSERT_NE(doc, nullptr);
    const std::string path = doc->GetPathName();
    struct Row {
        int line;
        int top;
    } rows[] = {{120, 119}, {1, 0}, {0, 0}, {66000, 65999}, {300, 299}};
    for (const Row& row : rows) {
        ASSERT_TRUE(OpenSourceAtLine(row.line, path)) << row.line;
        ASSERT_EQ(source->Documents().size(), 1u);  // the open document is taken
        CQEditView* view = ViewOf(doc);
        EXPECT_EQ(view->topLine, row.top) << row.line;
        EXPECT_EQ(view->firstColumn, 0) << row.line;
        EXPECT_EQ(view->LineText(view->topLine), "int line_" + std::to_string(row.top + 1) + ";") << row.line;
    }
    EXPECT_FALSE(OpenSourceAtLine(3, folder / "missing.c"));
}

}  // namespace
}  // namespace editor::test
