// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tovik {

class frmShowTell;

// "Thumbnail Options": percentage, paper width and the two colours; "&Go" stores them, writes
// the settings and builds the sheet, "C&ancel" (or the close box) sets DialogCancelled.
class frmThumbOption : public QDialog {
    Q_OBJECT
public:
    explicit frmThumbOption(frmShowTell& main);

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void PickColor_Click();
    void PicFontColor_Click();

    QLabel* Label3 = nullptr;
    QLineEdit* txtPercent = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtWidth = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* PickColor = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* PicFontColor = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* PicExample = nullptr;
    QLabel* lblExample = nullptr;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildSwatches();
    bool refuse(QLineEdit* field, const QString& title, const QString& text);
    void pickColour(qint16 mode);
    void showColours();

    frmShowTell& m_main;
    QColor m_back, m_text; // the swatches' colours, read back by "&Go"
};

} // namespace tovik
