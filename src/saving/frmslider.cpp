// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "saving/frmslider.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "app/numericbox.h"
#include "core/numbertext.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace tovik {

namespace {
const QString Caption = QStringLiteral("JPG Quality");
const QString InvalidTitle = QStringLiteral("Invalid");
const QString InvalidText = QStringLiteral("Value must be 0-100.");
constexpr int MaxQuality = 100;

} // namespace

frmSlider::frmSlider(frmShowTell& main)
    : QDialog(&main, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_main(main) {
    setWindowTitle(Caption);
    useFormFont(this);
    sizeClientTwips(this, 5160, 1125, main.tppX(), main.tppY());
    buildControls();
    Form_Load();
}

void frmSlider::buildControls() {
    const double tx = m_main.tppX(), ty = m_main.tppY();
    Slider1 = new QSlider(Qt::Horizontal, this);
    Slider1->setRange(0, MaxQuality);
    Slider1->setPageStep(10);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(10);
    Text1 = new QLineEdit(this);
    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command2 = new QPushButton(QStringLiteral("C&ancel"), this);
    Label1 = new QLabel(QStringLiteral("Smaller file, loss of quality"), this);
    Label2 = new QLabel(QStringLiteral("Larger file, better quality"), this);
    placeTwips(Slider1, 300, 180, 3195, 315, tx, ty);
    placeTwips(Text1, 3540, 180, 495, 315, tx, ty);
    placeTwips(Command1, 4320, 60, 735, 315, tx, ty);
    placeTwips(Command2, 4320, 480, 735, 315, tx, ty);
    placeLabelTwips(Label1, 120, 600, 1035, 435, tx, ty);
    // Wider than its 915 twips, up to the buttons' column: this system's fonts would otherwise
    // need a third line below the dialog's edge.
    placeLabelTwips(Label2, 2880, 600, 1335, 435, tx, ty);
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false); // Enter presses neither button
    setTabOrder(Slider1, Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    makeNumericBox(Text1);
    Slider1->installEventFilter(this);
    connect(Text1, &QLineEdit::textChanged, this, &frmSlider::Text1_Change);
    connect(Command1, &QPushButton::clicked, this, &frmSlider::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSlider::Command2_Click);
}

void frmSlider::Form_Load() {
    centreOnMainWindow(this, m_main);
    // A hand-edited settings file may hold anything; the dialog offers 0 to 100.
    qint16& q = m_main.state().JPGQuality;
    q = qint16(qBound(0, int(q), MaxQuality));
    Slider1->setValue(q);
    Text1->setText(QString::number(q));
}

void frmSlider::Text1_Change() {
    const QString text = Text1->text();
    if (text.isEmpty()) {
        Slider1->setValue(0);
        return;
    }
    // Above 100, or pasted text that is no plain number: refused alike.
    const auto value = plainNumber(text, MaxQuality);
    if (!value) {
        m_main.platform().messages.message(InvalidTitle, InvalidText);
        Text1->setText(QString());
        return;
    }
    Slider1->setValue(*value);
    m_main.state().JPGQuality = qint16(*value);
}

void frmSlider::Slider1_MouseUp() {
    Text1->setText(QString::number(Slider1->value()));
    m_main.state().JPGQuality = qint16(Slider1->value());
}

void frmSlider::Command1_Click() {
    m_main.saveSettings();
    accept();
}

void frmSlider::Command2_Click() {
    reject();
}

void frmSlider::reject() {
    // Cancel, and the close box: nothing is written.
    m_main.state().DialogCancelled = true;
    QDialog::reject();
}

bool frmSlider::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Slider1 && event->type() == QEvent::MouseButtonRelease) {
        const bool handled = QDialog::eventFilter(watched, event);
        // After the slider has taken the click and moved.
        QMetaObject::invokeMethod(this, &frmSlider::Slider1_MouseUp, Qt::QueuedConnection);
        return handled;
    }
    return QDialog::eventFilter(watched, event);
}

void frmSlider::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        return; // no cancel button: only Cancel and the close box cancel
    QDialog::keyPressEvent(event);
}

} // namespace tovik
