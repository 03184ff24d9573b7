// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "help/frmabout.h"

#include "app/artwork.h"
#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "core/keyvalue.h"
#include "core/rounding.h"
#include "tovik/version.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace tovik {

namespace {
const QString Description = QStringLiteral("Graphic slide show viewer and thumbnail builder.");
const QString Disclaimer = QStringLiteral(
    "Copyright 2026 the Tovik Viewer developers. Free software, provided as is, without "
    "warranty of any kind. Built on Qt, libjpeg-turbo, libwmf and libemf2svg.");
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");
const QString ToolPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString ToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
} // namespace

frmAbout::frmAbout(frmShowTell& main)
    : QDialog(&main, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_main(main) {
    useFormFont(this);
    sizeClientTwips(this, 5730, 3555, main.tppX(), main.tppY());
    buildControls();
    Form_Load();
}

void frmAbout::buildControls() {
    const double tx = m_main.tppX(), ty = m_main.tppY();
    picIcon = new QLabel(this);
    picIcon->setPixmap(applicationIcon().pixmap(32, 32));
    picIcon->setFocusPolicy(Qt::TabFocus);
    lblTitle = new QLabel(this);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    lblTitle->setFont(big);
    lblVersion = new QLabel(this);
    lblDescription = new QLabel(Description, this);
    lblDisclaimer = new QLabel(Disclaimer, this);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdOK->setDefault(true); // Enter; Escape rejects, which closes the box the same way
    placeTwips(picIcon, 240, 240, 540, 540, tx, ty);
    placeTwips(lblTitle, 1050, 240, 3885, 480, tx, ty);
    placeTwips(lblVersion, 1050, 780, 3885, 225, tx, ty);
    placeLabelTwips(lblDescription, 1050, 1125, 3885, 1170, tx, ty);
    placeLabelTwips(lblDisclaimer, 255, 2625, 3870, 825, tx, ty);
    placeTwips(cmdOK, 4245, 2625, 1260, 345, tx, ty);
    placeTwips(cmdSysInfo, 4260, 3075, 1245, 345, tx, ty);
    setTabOrder(cmdOK, picIcon);
    setTabOrder(picIcon, cmdSysInfo);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load() {
    const QString title = QLatin1String(ApplicationTitle);
    setWindowTitle(QStringLiteral("About ") + title);
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(VersionMajor)
                            .arg(VersionMinor)
                            .arg(VersionRevision));
    lblTitle->setText(title);
    centreOnMainWindow(this, m_main);
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The etched rule: grey, with white one twip-row below.
    const double tx = m_main.tppX(), ty = m_main.tppY();
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(twipsToPixels(90, tx), twipsToPixels(2445, ty), twipsToPixels(5654, tx),
               twipsToPixels(2445, ty));
    p.setPen(Qt::white);
    p.drawLine(twipsToPixels(105, tx), twipsToPixels(2460, ty), twipsToPixels(5654, tx),
               twipsToPixels(2460, ty));
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    QString path;
    if (!GetKeyValue(LocalMachine, ToolPathKey, QStringLiteral("PATH"), path)) {
        QString folder;
        if (!GetKeyValue(LocalMachine, ToolFolderKey, QStringLiteral("MSINFO"), folder) ||
            !QFileInfo(folder + systemToolFileName()).isFile()) {
            m_main.platform().messages.message(QLatin1String(ApplicationTitle), Unavailable);
            return;
        }
        path = folder + systemToolFileName();
    }
    if (!m_main.platform().registry.startProgram(path))
        m_main.platform().messages.message(QLatin1String(ApplicationTitle), Unavailable);
}

bool frmAbout::GetKeyValue(quint32 KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal) {
    const auto value = m_main.platform().registry.queryValue(KeyRoot, KeyName, SubKeyRef);
    if (!value) {
        KeyVal.clear();
        return false;
    }
    KeyVal = keyValueText(value->buffer, value->byteCount, value->type, KeyVal);
    return true;
}

void About_Click(frmShowTell& window) {
    frmAbout box(window);
    box.exec();
}

} // namespace tovik
