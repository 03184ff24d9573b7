// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tovik {

class frmShowTell;

// "Options": the interval between slides, in whole seconds.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(frmShowTell& main);

    void Form_Load();
    void Command1_Click();
    void Command3_Click();

    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
    QLabel* Label2 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmShowTell& m_main;
};

} // namespace tovik
