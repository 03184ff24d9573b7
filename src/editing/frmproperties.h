// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tovik {

class frmShowTell;

// What a picture file says of itself, as the window lists it: a caption and a value a row.
struct PropertyRow {
    QString caption;
    QString value;
};
// The rows for the file at path from the properties read of it (see imaging/pictures.h), in the
// order they are listed; only those the file has.
QList<PropertyRow> propertyRows(const QString& path, const QByteArray& properties);
// Where the picture was taken, as a geo: address; empty when the file does not say.
QString placeAddress(const QByteArray& properties);

// Picture Properties: a window of its own beside the main window that lists what the shown
// picture's file says of itself, and follows the picture shown. It holds no command back.
class frmProperties : public QDialog {
    Q_OBJECT
public:
    explicit frmProperties(frmShowTell& window);

    // Lists the properties of the file at path; none when path is empty.
    void Form_Show(const QString& path);
    // Everything listed, one "caption: value" a line.
    QString asText() const;

    QTreeWidget* List = nullptr;
    QLabel* Nothing = nullptr;
    QPushButton* CopyAll = nullptr;
    QPushButton* OpenPlace = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void CopyAll_Click();
    void OpenPlace_Click();

    frmShowTell& m_window;
    QString m_place;
};

// Alt+Return: the Picture Properties window shown (made the first time) for the picture shown.
void PropertiesCommand(frmShowTell& window);

} // namespace tovik
