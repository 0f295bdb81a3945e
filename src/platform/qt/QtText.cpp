// Qt strings are UTF-16 like the editor text of the record coding, so a view of one is the
// other without a copy. And the text rules of the searches.
#include "platform/qt/QtText.h"

#include "platform/CaseFolding.h"

#include <QTextDocument>

QString ToQString(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

std::u16string_view View(const QString& text) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

QString FromView(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// The toolkit's simple folding: one to one, and already all that lowercase lacks.
std::u16string LowerCase(std::u16string_view text) { return std::u16string(View(FromView(text).toCaseFolded())); }

bool IsLetterOrDigit(char16_t c) { return QChar(c).isLetterOrNumber(); }

bool IsCombiningMark(char16_t c) { return QChar(c).isMark(); }

QString EscapeTipText(const QString& text) {
    // The same guess the tooltip's label makes, so text it would show plainly stays as it is.
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<qt><p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p></qt>");
}
