// Conversions between record bytes and the editor's text. Records are UTF-8; a record that
// is not (written on Windows) is read as Windows-1252. Line breaks are CR LF in records.
#include "platform/QtText.h"

#include "store/RecordText.h"

namespace {

const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString ToQString(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

QString RecordToQString(const std::string& bytes) {
    QString text;
    if (IsValidUtf8(bytes)) {
        text = ToQString(bytes);
    } else {
        text.reserve(static_cast<qsizetype>(bytes.size()));
        for (char c : bytes) {
            unsigned char b = static_cast<unsigned char>(c);
            text += QChar(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
        }
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

std::string QStringToRecord(const QString& text) {
    QString copy = text;
    copy.replace(QChar::ParagraphSeparator, QChar('\n'));
    copy.remove(QChar(0));
    copy.replace(QChar('\n'), QStringLiteral("\r\n"));
    return ToUtf8(copy);
}

