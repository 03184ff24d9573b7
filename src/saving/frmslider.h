// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tovik {

class frmShowTell;

// "JPG Quality": a slider and a box that follow each other; the value goes straight into
// JPGQuality while the user edits. OK also writes the settings; Cancel and the close box set
// DialogCancelled.
class frmSlider : public QDialog {
    Q_OBJECT
public:
    explicit frmSlider(frmShowTell& main);

    void Form_Load();
    void Text1_Change();
    void Slider1_MouseUp();
    void Command1_Click();
    void Command2_Click();

    QSlider* Slider1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    frmShowTell& m_main;
};

} // namespace tovik
