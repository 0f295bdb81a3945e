// The requesters: a font requester with a text colour (face, style, size, underline,
// strikeout and one of 16 colours), the colour requester and the save-file requester. Each is
// modal for the program and shows in front of an On Top main window.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>

#include "platform/qt/QtPrivate.h"

namespace {

QColor ToColour(std::int32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }
std::int32_t FromColour(const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; }

// The requester's owner: the program's foreground window. Over an On Top window it stays on
// top itself, so that it is never hidden behind it, and it fits the screen at any scale.
QWidget* Owner() {
    QWidget* owner = QApplication::activeWindow();
    return owner ? owner : WindowWidget(MainWindowNumber());
}

void KeepInFront(QDialog* dialog) {
    KeepAboveMainWindow(dialog);
    dialog->setWindowModality(Qt::ApplicationModal);
    BoundToWorkArea(dialog);
}

// The values of the 16 colours of the classic font requester; their names come from above.
const std::int32_t kColours[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
                                 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
constexpr int kStyleCount = 4;  // regular, italic, bold, bold italic

QString ListedText(const std::vector<std::string>& texts, std::size_t i) {
    return i < texts.size() ? ToQString(texts[i]) : QString();
}

// A typed size may have a fraction ("10.5", or "10,5" where that is the decimal sign); the
// size kept is whole points, rounded.
int TypedPoints(const QString& text) {
    bool ok = false;
    double points = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok) points = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && points > 0 && points < 10000 ? static_cast<int>(std::lround(points)) : 0;
}

}  // namespace

bool ChooseFont(FontChoice* choice) {
    QDialog dialog(Owner());
    const ToolkitTexts& texts = ToolkitText();
    dialog.setWindowTitle(ToQString(texts.fontTitle));
    KeepInFront(&dialog);
    QFontComboBox* face = new QFontComboBox(&dialog);
    face->setCurrentFont(QFont(ToQString(choice->face)));
    QComboBox* style = new QComboBox(&dialog);
    for (int i = 0; i < kStyleCount; ++i) style->addItem(ListedText(texts.fontStyles, static_cast<std::size_t>(i)));
    style->setCurrentIndex((choice->style & 512 ? 1 : 0) + (choice->style & 256 ? 2 : 0));
    QComboBox* size = new QComboBox(&dialog);
    size->setEditable(true);
    for (int points : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        size->addItem(QString::number(points));
    size->setCurrentText(choice->points > 0 ? QString::number(choice->points) : QString());
    QCheckBox* underline = new QCheckBox(ToQString(texts.fontUnderline), &dialog);
    underline->setChecked(choice->style & 4);
    QCheckBox* strikeout = new QCheckBox(ToQString(texts.fontStrikeout), &dialog);
    strikeout->setChecked(choice->style & 8);
    QComboBox* colour = new QComboBox(&dialog);
    for (std::size_t i = 0; i < std::size(kColours); ++i) {
        QPixmap swatch(16, 12);
        swatch.fill(ToColour(kColours[i]));
        colour->addItem(QIcon(swatch), ListedText(texts.colourNames, i), kColours[i]);
    }
    int preset = colour->findData(choice->colour & 0xFFFFFF);
    if (preset < 0) {
        QPixmap swatch(16, 12);
        swatch.fill(ToColour(choice->colour));
        colour->addItem(QIcon(swatch), ToQString(texts.fontCustomColour), choice->colour);
        preset = colour->count() - 1;
    }
    colour->setCurrentIndex(preset);
    QLabel* sample = new QLabel(ToQString(texts.fontSample), &dialog);
    sample->setMinimumHeight(48);
    sample->setAlignment(Qt::AlignCenter);
    sample->setFrameShape(QFrame::StyledPanel);
    auto chosenStyle = [&] {
        int s = style->currentIndex();
        return (s & 1 ? 512 : 0) | (s & 2 ? 256 : 0) | (underline->isChecked() ? 4 : 0) |
               (strikeout->isChecked() ? 8 : 0);
    };
    auto update = [&] {
        QFont font = face->currentFont();
        int points = TypedPoints(size->currentText());
        if (points > 0) font.setPointSize(points);
        int s = chosenStyle();
        font.setBold(s & 256);
        font.setItalic(s & 512);
        font.setUnderline(s & 4);
        font.setStrikeOut(s & 8);
        sample->setFont(font);
        QPalette palette = sample->palette();
        palette.setColor(QPalette::WindowText, ToColour(colour->currentData().toInt()));
        sample->setPalette(palette);
    };
    QObject::connect(face, &QFontComboBox::currentFontChanged, &dialog, update);
    QObject::connect(style, qOverload<int>(&QComboBox::currentIndexChanged), &dialog, update);
    QObject::connect(size, &QComboBox::currentTextChanged, &dialog, update);
    QObject::connect(underline, &QCheckBox::toggled, &dialog, update);
    QObject::connect(strikeout, &QCheckBox::toggled, &dialog, update);
    QObject::connect(colour, qOverload<int>(&QComboBox::currentIndexChanged), &dialog, update);
    update();
    QFormLayout* form = new QFormLayout;
    form->addRow(ToQString(texts.fontFace), face);
    form->addRow(ToQString(texts.fontStyle), style);
    form->addRow(ToQString(texts.fontSize), size);
    form->addRow(ToQString(texts.fontColour), colour);
    form->addRow(QString(), underline);
    form->addRow(QString(), strikeout);
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QVBoxLayout* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(sample);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    choice->face = ToUtf8(face->currentFont().family());
    choice->points = TypedPoints(size->currentText());
    choice->style = chosenStyle();
    choice->colour = colour->currentData().toInt();
    return true;
}

namespace {

// "Label|pattern|Label|pattern" as Qt's "Label (pattern)" filters.
QStringList Filters(const std::string& filter) {
    QStringList parts = ToQString(filter).split(QChar('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = QString(parts[i + 1]).replace(QChar(';'), QChar(' '));
        filters << (parts[i].contains(QChar('(')) ? parts[i] : parts[i] + QStringLiteral(" (") + pattern + QChar(')'));
    }
    return filters;
}

}  // namespace

bool ChooseColour(std::int32_t* colour) {
    QColorDialog::setCustomColor(0, ToColour(*colour));
    QColorDialog dialog(ToColour(*colour), Owner());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    KeepInFront(&dialog);
    if (dialog.exec() != QDialog::Accepted) return false;
    *colour = FromColour(dialog.selectedColor());
    return true;
}

bool ChooseSaveFile(const std::string& title, const std::string& folder, const std::string& name,
                    const std::string& filter, std::string* path) {
    QFileDialog dialog(Owner(), ToQString(title), ToQString(folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(Filters(filter));
    dialog.selectFile(ToQString(name));
    KeepInFront(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    *path = ToUtf8(dialog.selectedFiles().first());
    return true;
}
