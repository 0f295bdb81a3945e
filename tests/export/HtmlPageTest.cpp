// The export page byte for byte where it is fixed, the body rule, escaping, and writing the
// page for records whose slots are out of selector order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "base/AppState.h"
#include "core/export/HtmlPage.h"
#include "core/store/DataFile.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        lines.push_back(text.substr(begin, end - begin));
    EXPECT_EQ(text.size(), begin) << "every line ends in CR LF";
    return lines;
}

TEST(HtmlPage, HeadHasItsTwentyNineLines) {
    std::vector<std::string> lines = Lines(PageHead("Jotcrate", 1));
    ASSERT_EQ(29u, lines.size());
    EXPECT_EQ("<html>", lines[0]);
    EXPECT_EQ("<meta charset=\"utf-8\">", lines[2]);
    lines.erase(lines.begin() + 2);
    EXPECT_EQ("<title>Jotcrate</title>", lines[2]);
    EXPECT_EQ("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">", lines[3]);
    EXPECT_EQ(
        "body{font-family:sans-serif;font-size:14px;padding:5em 16em;min-width:600px;background-color:#FDFDFD;"
        "color:#585858}",
        lines[5]);
    EXPECT_EQ(".record{display:none;overflow:auto;margin-bottom:-1em}", lines[13]);
    EXPECT_EQ(0u, lines[14].find("@media (max-width:760px){body{padding:1em;min-width:0}"));
    EXPECT_EQ(0u, lines[17].find("var p='data:image/png;base64,iVBORw0KGgo"));
    EXPECT_EQ(0u, lines[18].find("var m='data:image/png;base64,iVBORw0KGgo"));
    EXPECT_EQ("document.getElementById(n).src=(y=='block'?m:p)}", lines[23]);
    EXPECT_EQ("<body onload=(function(){for(x=0;x<=0;x++)document.getElementById(x).src=p})()>", lines[26]);
    EXPECT_EQ(0u, lines[27].find("<div id='header'>Jotcrate<span id=blurb>"));
    EXPECT_EQ("</span></div>", lines[27].substr(lines[27].size() - 13));
    EXPECT_NE(std::string::npos, Lines(PageHead("Jotcrate", 32767))[27].find("x<=32766;"));
}

TEST(HtmlPage, EscapingAndTheBodyRule) {
    EXPECT_EQ("a &lt;b&gt; &amp;amp; c", EscapeHtml("a <b> &amp; c"));
    struct Case {
        std::string text, title, body;
    } cases[] = {
        {"Shopping\r\nmilk\r\neggs", "Shopping", "milk\r\neggs"},
        {"\r\n  Shopping \r\n\r\n milk", "Shopping", "milk"},
        {std::string(48, 'a') + "bcd\r\nnext", std::string(48, 'a'), "bcd\r\nnext"},  // nothing of the line is lost
        {"\r\n\r\n\r\nfourth line", "(untitled)", "fourth line"},
        {"Title only", "Title only", ""},
        {"Same\r\nSame again", "Same", "Same again"},
        // The body follows from the lines, not from the first place the title's words occur.
        {"\r\n\r\n\r\nsee (untitled) below", "(untitled)", "see (untitled) below"},
        {"  \r\nab\r\nab cd", "ab", "ab cd"},
        {"Shopping\r\nmilk", "Renamed since", "Shopping\r\nmilk"},
        {"Caf\xE9\r\nna\xEFve", "Caf\xC3\xA9", "na\xC3\xAFve"},  // Windows-1252, written as UTF-8
    };
    for (const Case& c : cases) EXPECT_EQ(c.body, ExportBody(c.text, c.title)) << c.text;
    EXPECT_EQ(
        "<div class='title'>a&lt;b<img id='7' alt='' onclick='toggle(7)'><div class='record' id='r7'><pre>"
        "x &gt; y</pre></div></div>\r\n",
        RecordFragment(7, "a<b", "x > y"));
}

TEST(HtmlPage, ExtensionIsAddedUnlessPresentInAnyCase) {
    EXPECT_EQ("/t/notes.html", ExportFileName("/t/notes"));
    EXPECT_EQ("/t/notes.HTML", ExportFileName("/t/notes.HTML"));
    EXPECT_EQ("/t/notes.htm.html", ExportFileName("/t/notes.htm"));
    EXPECT_EQ(".html", ExportFileName(""));
}

class ExportFileTest : public FolderTest {};

TEST_F(ExportFileTest, RecordsAppearInSelectorOrder) {
    WriteFileBytes(g_app.dataPath, SlotBytes("First\r\none") + SlotBytes("Gone\r\nx", true) +
                                       SlotBytes("  Third <b>\r\n & three  ") + SlotBytes("New record"));
    std::vector<SelectorEntry> entries = {{"New record", 3}, {"First", 0}, {"Third <b>", 2}};
    std::string path = folder.path + "page.html";
    ASSERT_TRUE(WriteExportPage(path, entries));
    std::string page = ReadFileBytes(path);
    EXPECT_EQ(PageHead("Jotcrate", 3) + RecordFragment(0, "New record", "") + RecordFragment(1, "First", "one") +
                  RecordFragment(2, "Third <b>", "& three") + "</body>\r\n</html>\r\n",
              page);
    EXPECT_NE(std::string::npos, page.find("Third &lt;b&gt;<img"));
    EXPECT_NE(std::string::npos, page.find("<pre>&amp; three</pre>"));
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

// Exporting over a link writes where it points; a file that has the temporary name is left be.
TEST_F(ExportFileTest, ALinkStaysAndAFileOfTheTemporaryNameIsKept) {
    WriteDataFile(g_app.dataPath, {"one"});
    ASSERT_TRUE(MakeFolder(folder.path + "elsewhere"));
    std::string target = folder.path + "elsewhere/target.html", link = folder.path + "out.html";
    WriteFileBytes(target, "old target");
    WriteFileBytes(target + ".tmp", "my precious notes");
    if (!MakeLink(target, link)) GTEST_SKIP() << "no symbolic links here";
    ASSERT_TRUE(WriteExportPage(link, {{"one", 0}}));
    EXPECT_TRUE(IsLink(link));
    EXPECT_EQ(0u, ReadFileBytes(target).find("<html>"));
    EXPECT_EQ("my precious notes", ReadFileBytes(target + ".tmp"));
}

TEST_F(ExportFileTest, FailureLeavesNoPage) {
    std::string path = folder.path + "page.html";
    EXPECT_FALSE(WriteExportPage(path, {{"x", 0}}));  // no data file
    WriteDataFile(g_app.dataPath, {"one"});
    EXPECT_FALSE(WriteExportPage(path, {{"one", 0}, {"beyond", 5}}));
    EXPECT_FALSE(PathExists(path));
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

}  // namespace
