// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "thumbnails/frmthumboption.h"

#include "app/dialoglayout.h"
#include "app/dirtree.h"
#include "app/frmshowtell.h"
#include "app/numericbox.h"
#include "core/colorref.h"
#include "core/numbertext.h"
#include "thumbnails/frmthumbnails.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <algorithm>

namespace tovik {

namespace {
const QString PercentTitle = QStringLiteral("Enter Percentage");
const QString PercentEmpty = QStringLiteral("Please enter a percentage.");
const QString PercentRange = QStringLiteral("Please enter a percentage between 1 and 100.");
const QString WidthTitle = QStringLiteral("Enter Width");
const QString WidthEmpty = QStringLiteral("Please enter a width.");
const QString WidthRange = QStringLiteral("Please enter a width between 1 and 2000.");

// Palettes, not style sheets: a style sheet would also put the dialog's font back to the
// application's.
void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void fillSwatch(QLabel* swatch, const QColor& colour) {
    paint(swatch, QPalette::Window, colour);
    swatch->setAutoFillBackground(true);
}
} // namespace

frmThumbOption::frmThumbOption(frmShowTell& main)
    : QDialog(&main, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_main(main) {
    setWindowTitle(QStringLiteral("Thumbnail Options"));
    useFormFont(this);
    sizeClientTwips(this, 5070, 3600, main.tppX(), main.tppY());
    buildControls();
    buildSwatches();
    Form_Load();
}

void frmThumbOption::buildControls() {
    const double tx = m_main.tppX(), ty = m_main.tppY();
    Label3 = new QLabel(QStringLiteral("Percent of Original"), this);
    txtPercent = new QLineEdit(this);
    Label2 = new QLabel(QStringLiteral("Paper Width (pixels)"), this);
    txtWidth = new QLineEdit(this);
    Command1 = new QPushButton(QStringLiteral("&Go"), this);
    Command2 = new QPushButton(QStringLiteral("C&ancel"), this);
    Label1 =
        new QLabel(QStringLiteral("This background color will be used. Click to change."), this);
    Label4 = new QLabel(QStringLiteral("This font color will be used. Click to change."), this);
    Label5 = new QLabel(QStringLiteral("Example:"), this);
    placeLabelTwips(Label3, 180, 120, 1875, 195, tx, ty);
    placeTwips(txtPercent, 2100, 120, 1095, 285, tx, ty);
    placeLabelTwips(Label2, 180, 540, 1815, 195, tx, ty);
    placeTwips(txtWidth, 2100, 480, 1095, 285, tx, ty);
    placeTwips(Command1, 3540, 120, 1335, 315, tx, ty);
    placeTwips(Command2, 3540, 480, 1335, 315, tx, ty);
    placeLabelTwips(Label1, 240, 1080, 2115, 435, tx, ty);
    placeLabelTwips(Label4, 2700, 1080, 2175, 435, tx, ty);
    placeLabelTwips(Label5, 60, 2400, 675, 195, tx, ty);
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false); // neither button is bound to Enter
    for (QLineEdit* field : {txtPercent, txtWidth})
        makeNumericBox(field);
    connect(Command1, &QPushButton::clicked, this, &frmThumbOption::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmThumbOption::Command2_Click);
}

void frmThumbOption::buildSwatches() {
    const double tx = m_main.tppX(), ty = m_main.tppY();
    PickColor = new QLabel(this);
    PicFontColor = new QLabel(this);
    PicExample = new QLabel(this);
    lblExample =
        new QLabel(QStringLiteral("This is an example of the two colors together."), PicExample);
    placeTwips(PickColor, 240, 1560, 2175, 495, tx, ty);
    placeTwips(PicFontColor, 2700, 1560, 2175, 495, tx, ty);
    placeTwips(PicExample, 780, 2400, 4095, 735, tx, ty);
    placeTwips(lblExample, 300, 240, 3255, 255, tx, ty);
    // As wide as its text, which this system's fonts make a little wider than 3255 twips.
    lblExample->resize(std::max(lblExample->width(), lblExample->sizeHint().width()),
                       lblExample->height());
    for (QLabel* swatch : {PickColor, PicFontColor}) {
        swatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        swatch->setFocusPolicy(Qt::StrongFocus);
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->installEventFilter(this);
    }
    PicExample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTabOrder(txtPercent, txtWidth);
    setTabOrder(txtWidth, PickColor);
    setTabOrder(PickColor, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, PicFontColor);
}

void frmThumbOption::Form_Load() {
    const ViewerState& s = m_main.state();
    // Seven significant digits, as a Single prints: 0.15 shows as "15".
    txtPercent->setText(QString::number(double(s.ThumbScale * 100.0f), 'g', 7));
    txtWidth->setText(QString::number(s.ThumbPageWidth));
    m_back = fromColorRef(s.ThumbBackColor);
    m_text = fromColorRef(s.ThumbTextColor);
    showColours();
    txtPercent->setFocus();
}

void frmThumbOption::showColours() {
    fillSwatch(PickColor, m_back);
    fillSwatch(PicExample, m_back);
    fillSwatch(PicFontColor, m_text);
    paint(lblExample, QPalette::WindowText, m_text); // no fill of its own: the box shows through
}

bool frmThumbOption::refuse(QLineEdit* field, const QString& title, const QString& text) {
    m_main.platform().messages.message(title, text);
    field->setFocus();
    field->selectAll();
    return true;
}

void frmThumbOption::Command1_Click() {
    const QString percentText = txtPercent->text(), widthText = txtWidth->text();
    // Pasted text that is no number counts as out of range. The percentage may have decimals:
    // the settings file can hold a scale such as 0.125.
    const double percent = decimalNumber(percentText).value_or(-1);
    const int width = plainNumber(widthText, 2000).value_or(-1);
    if ((percentText.isEmpty() && refuse(txtPercent, PercentTitle, PercentEmpty)) ||
        ((percent < 1 || percent > 100) && refuse(txtPercent, PercentTitle, PercentRange)) ||
        (widthText.isEmpty() && refuse(txtWidth, WidthTitle, WidthEmpty)) ||
        (width < 1 && refuse(txtWidth, WidthTitle, WidthRange)))
        return;
    hide();
    ViewerState& s = m_main.state();
    s.ThumbTextColor = toColorRef(m_text);
    s.ThumbBackColor = toColorRef(m_back);
    s.ThumbPageWidth = qint16(width);
    s.ThumbScale = float(percent / 100.0);
    m_main.saveSettings();
    done(Accepted);
    frmThumbnails builder(m_main);
    builder.Form_Load();
}

void frmThumbOption::Command2_Click() {
    reject();
}

void frmThumbOption::reject() {
    // Cancel and the close box alike: the thumbnail command must not take it for "&Go".
    m_main.state().DialogCancelled = true;
    QDialog::reject();
}

void frmThumbOption::pickColour(qint16 mode) {
    ViewerState& s = m_main.state();
    s.DialogMode = mode;
    dirTree host(m_main.platform(), s);
    host.Form_Load();
    s.DialogCancelled = false;
    m_back = fromColorRef(s.ThumbBackColor);
    m_text = fromColorRef(s.ThumbTextColor);
    showColours();
}

void frmThumbOption::PickColor_Click() {
    pickColour(2);
}
void frmThumbOption::PicFontColor_Click() {
    pickColour(3);
}

bool frmThumbOption::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == PickColor)
            PickColor_Click();
        else if (watched == PicFontColor)
            PicFontColor_Click();
    }
    return QDialog::eventFilter(watched, event);
}

void frmThumbOption::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        return; // neither button is bound to Escape
    QDialog::keyPressEvent(event);
}

} // namespace tovik
