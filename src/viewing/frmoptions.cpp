// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/frmoptions.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "app/numericbox.h"
#include "core/slideinterval.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tovik {

namespace {
const QString Caption = QStringLiteral("Options");
const QString ChooseTitle = QStringLiteral("Choose Time");
const QString EmptyText = QStringLiteral("Please choose a time between slides");
const QString RangeText = QStringLiteral("Please choose a time between 0 and %1 seconds");
} // namespace

frmOptions::frmOptions(frmShowTell& main)
    : QDialog(&main, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_main(main) {
    const double tx = main.tppX(), ty = main.tppY();
    setWindowTitle(Caption);
    useFormFont(this);
    sizeClientTwips(this, 4680, 2430, tx, ty);
    Text2 = new QLineEdit(this);
    Command1 = new QPushButton(QStringLiteral("&Save Settings"), this);
    Command3 = new QPushButton(QStringLiteral("C&ancel"), this);
    Label2 = new QLabel(QStringLiteral("Time between slides in seconds"), this);
    placeTwips(Text2, 1080, 600, 495, 285, tx, ty);
    placeTwips(Command1, 660, 1560, 1455, 375, tx, ty);
    placeTwips(Command3, 2280, 1560, 1455, 375, tx, ty);
    placeLabelTwips(Label2, 1620, 540, 1215, 435, tx, ty);
    for (QPushButton* b : {Command1, Command3})
        b->setAutoDefault(false); // Enter presses neither button
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command3);
    makeNumericBox(Text2);
    connect(Command1, &QPushButton::clicked, this, &frmOptions::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmOptions::Command3_Click);
    Form_Load();
}

void frmOptions::Form_Load() {
    Text2->setText(QString::number(m_main.state().SlideInterval));
}

void frmOptions::Command1_Click() {
    const IntervalText entry = parseIntervalText(Text2->text());
    if (entry.kind == IntervalText::Kind::Empty) {
        m_main.platform().messages.message(ChooseTitle, EmptyText);
        return;
    }
    if (entry.kind == IntervalText::Kind::Refused) {
        m_main.platform().messages.message(ChooseTitle, RangeText.arg(MaxSlideInterval));
        return;
    }
    m_main.state().SlideInterval = entry.seconds;
    m_main.saveSettings();
    accept();
}

void frmOptions::Command3_Click() {
    reject();
}

void frmOptions::keyPressEvent(QKeyEvent* event) {
    // Escape is no cancel button here; the close box is.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

} // namespace tovik
