// Qt strings are UTF-16 like the editor text of the record coding, so a view of one is the
// other without a copy.
#include "platform/qt/QtText.h"

#include <QTextDocument>

QString ToQString(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

std::u16string_view View(const QString& text) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

QString FromView(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

QString FoldFully(const QString& text, std::vector<qsizetype>* sources) {
    QString folded = text.toCaseFolded();
    if (!sources && !folded.contains(QChar(0xDF))) return folded;
    // One to one so far: folded[k] comes from text[k].
    QString full;
    full.reserve(folded.size());
    if (sources) sources->clear();
    for (qsizetype k = 0; k < folded.size(); ++k) {
        bool sharpS = folded[k] == QChar(0xDF);
        full += sharpS ? QStringLiteral("ss") : QString(folded[k]);
        if (sources) sources->insert(sources->end(), sharpS ? 2 : 1, k);
    }
    return full;
}

QString EscapeTipText(const QString& text) {
    // The same guess the tooltip's label makes, so text it would show plainly stays as it is.
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<qt><p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p></qt>");
}
