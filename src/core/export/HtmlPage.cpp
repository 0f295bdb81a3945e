// The page template's 27 lines, with the program title and the last record's index filled
// in. Titles and bodies are escaped alike, so that no record text becomes markup; the page is
// UTF-8 whatever each record's own encoding.
#include "core/export/HtmlPage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/AppState.h"
#include "base/RecordText.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "core/store/BackgroundWrites.h"
#include "core/store/DataFile.h"
#include "core/store/OrderedPieces.h"
#include "core/store/Titles.h"
#include "platform/Files.h"

namespace {

const char kPlusIcon[] =
    "iVBORw0KGgoAAAANSUhEUgAAABMAAAATAgMAAAAPPt5fAAAADFBMVEX9/f3MzMz5+fn///+8AKc3AAAAKElEQVR42mOYGhoaGsHgwMDAwIKV"
    "lMFOiobGAEn7+3+wq7HBahrYLgCu2Aw97r3fSgAAAABJRU5ErkJggg==";
const char kMinusIcon[] =
    "iVBORw0KGgoAAAANSUhEUgAAABMAAAATAgMAAAAPPt5fAAAADFBMVEX9/f3MzMz5+fn///+8AKc3AAAAIklEQVR42mOYGhoaGsHgwMDAwEIK"
    "KRoaAyTt//8hRRfYLgCCmAtdGK1iOAAAAABJRU5ErkJggg==";

void ReplaceFirst(std::string* text, const std::string& what, const std::string& with, std::size_t* from) {
    std::size_t at = text->find(what, *from);
    if (at == std::string::npos) return;
    text->replace(at, what.size(), with);
    *from = at + with.size();
}

}  // namespace

std::string PageHead(const std::string& programTitle, int count) {
    const std::string lines[] = {
        "<html>",
        "<head>",
        "<meta charset=\"utf-8\">",
        "<title>~N</title>",
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
        "<style>",
        "body{font-family:sans-serif;font-size:14px;padding:5em 16em;min-width:600px;background-color:#FDFDFD;"
        "color:#585858}",
        "pre{font-family:monospace;font-size:14px;color:#585858}",
        "a:link,a:visited{color:#21BCEA}",
        "a:active,a:hover{color:#EE0000}",
        "img{margin-top:-2px;float:right;cursor:pointer}",
        "#header{font-size:16px;margin-bottom:2em;padding-bottom:0.2em;border-width:0 0 1px 0;border-style:solid;"
        "border-color:#CCCCCC}",
        "#blurb{font-size:11px;float:right;line-height:16px}",
        ".title{margin-top:1em;padding:1em;border:1px solid #CCCCCC;border-radius:4px;background-color:#FBFBFB}",
        ".record{display:none;overflow:auto;margin-bottom:-1em}",
        // A phone's narrow screen gets the whole width, and long lines wrap instead of scrolling.
        "@media (max-width:760px){body{padding:1em;min-width:0}pre{white-space:pre-wrap;overflow-wrap:anywhere}}",
        "</style>",
        "<script>",
        std::string("var p='data:image/png;base64,") + kPlusIcon + "';",
        std::string("var m='data:image/png;base64,") + kMinusIcon + "';",
        "function toggle(n){",
        "var x=document.getElementById('r'+n);",
        "var y=(x.style.display=='block')?'none':'block';",
        "x.style.display=y;",
        "document.getElementById(n).src=(y=='block'?m:p)}",
        "</script>",
        "</head>",
        "<body onload=(function(){for(x=0;x<=~C;x++)document.getElementById(x).src=p})()>",
        "<div id='header'>~N<span id=blurb>" + Str(kStrExportBlurb) + "</span></div>",
    };
    std::string page;
    for (const std::string& line : lines) page += line + "\r\n";
    std::size_t from = 0;
    ReplaceFirst(&page, "~N", programTitle, &from);
    ReplaceFirst(&page, "~N", programTitle, &from);
    from = 0;
    ReplaceFirst(&page, "~C", std::to_string(count - 1), &from);
    return page;
}

namespace {

// One pass does what the three replacements in turn would: no entity is escaped again.
bool HasByte(std::uint64_t eight, char c) {
    std::uint64_t x = eight ^ (0x0101010101010101u * static_cast<unsigned char>(c));
    return ((x - 0x0101010101010101u) & ~x & 0x8080808080808080u) != 0;
}

void AppendEscaped(std::string* out, std::string_view text) {
    const std::string& ampersand = Str(kStrEscapeAmpersand);
    const std::string& less = Str(kStrEscapeLess);
    const std::string& greater = Str(kStrEscapeGreater);
    // Held apart from the strings, which the appends could otherwise be changing.
    const char a = ampersand[0], l = less[0], g = greater[0];
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Eight bytes at a time while none of them is to be escaped.
        std::uint64_t eight;
        while (i + 8 <= text.size() && (std::memcpy(&eight, text.data() + i, 8),
                                        !HasByte(eight, a) && !HasByte(eight, l) && !HasByte(eight, g)))
            i += 8;
        if (i == text.size()) break;
        char c = text[i];
        if (c != a && c != l && c != g) continue;
        const std::string* pair = c == a ? &ampersand : c == l ? &less : &greater;
        out->append(text, start, i - start);
        out->append(*pair, 1, std::string::npos);
        start = i + 1;
    }
    out->append(text, start, std::string_view::npos);
}

// The body follows the title where the record's lines put it, not where its words first
// occur: an untitled record may hold the default title's words. A title cut from a long line
// is followed by the rest of that line.
std::string BodyOf(std::string_view text, const std::string& title) {
    TextEncoding encoding = RecordEncoding(text);
    std::string_view body = Trim(text.substr(TitleEnd(text, encoding, title)));
    return encoding == kEncodingUtf8 ? std::string(body) : RecordBytesToUtf8(body, encoding);
}

void AppendFragment(std::string* out, int position, std::string_view title, std::string_view body) {
    std::string i = std::to_string(position);
    *out += Str(kStrFragment1);
    AppendEscaped(out, title);
    *out += Str(kStrFragment2);
    *out += i;
    *out += Str(kStrFragment3);
    *out += i;
    *out += Str(kStrFragment4);
    *out += i;
    *out += Str(kStrFragment5);
    AppendEscaped(out, body);
    *out += Str(kStrFragment6);
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    AppendEscaped(&out, text);
    return out;
}

std::string ExportBody(std::string_view text, const std::string& title) { return BodyOf(text, title); }

std::string RecordFragment(int position, std::string_view title, std::string_view body) {
    std::string out;
    AppendFragment(&out, position, title, body);
    return out;
}

std::string ExportFileName(const std::string& chosen) {
    const std::string& extension = Str(kStrExportExtension);
    bool present = chosen.size() >= extension.size() &&
                   SameIgnoringCase(std::string_view(chosen).substr(chosen.size() - extension.size()), extension);
    return present ? chosen : chosen + extension;
}

namespace {

void MakePagePiece(std::size_t first, const std::vector<std::string>& texts, std::string* piece, const void* context) {
    const std::vector<SelectorEntry>& entries = *static_cast<const std::vector<SelectorEntry>*>(context);
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const SelectorEntry& entry = entries[first + k];
        AppendFragment(piece, static_cast<int>(first + k), entry.title, BodyOf(texts[k], entry.title));
    }
}

void WritePagePiece(std::string&& piece, void* writer) {
    WriteChunk(static_cast<ChunkWriter*>(writer), std::move(piece));
}

}  // namespace

bool WriteExportPage(const std::string& chosen, const std::vector<SelectorEntry>& entries, const FileIdentity* asked) {
    // A page chosen through a link is written where the link points, and the link stays.
    std::string path;
    if (!ResolveReplacement(chosen, &path)) return false;
    FileHandle data;
    if (!OpenFile(g_app.dataPath, kOpenRead, &data)) return false;
    FileHandle page;
    if (!CreateTempFile(path + ".tmp", path, &page)) {
        CloseFile(&data);
        return false;
    }
    if (asked) page.replaces = *asked;
    // The page is built in pieces that are written while the next are built.
    ChunkWriter* writer = BeginChunkWriter(page, 0);
    WriteChunk(writer, PageHead(g_app.programTitle, static_cast<int>(entries.size())));
    std::vector<std::int64_t> slots;
    for (const SelectorEntry& entry : entries) slots.push_back(entry.slot);
    bool read = MakePiecesInOrder(data, slots, MakePagePiece, &entries, WritePagePiece, writer);
    if (read) WriteChunk(writer, std::string(Str(kStrPageFooter)));
    bool written = EndChunkWriter(writer);
    CloseFile(&data);
    if (!read || !written) {
        DiscardTempFile(&page);
        return false;
    }
    // The page can be exported again from the data file, so it need not wait for the disk.
    return CommitTempFile(&page, path, false);
}
