// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/registry.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tovik {

class frmShowTell;

// The About box: title, version, description, a legal notice, and the system information tool.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(frmShowTell& main);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();
    bool GetKeyValue(quint32 KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                     QString& KeyVal);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    frmShowTell& m_main;
};

void About_Click(frmShowTell& window);

} // namespace tovik
