// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QObject>
#include <QString>
#include <QToolBar>

#include <vector>

class QAction;

namespace tovik {

// The main window's toolbar (Toolbar1): fourteen buttons addressed by 1-based index, separators at
// 3, 6, 9 and 13. The two toggle buttons show their state as a pressed value that only code sets.
class ButtonBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int ButtonCount = 14;

    explicit ButtonBar(QWidget* parent = nullptr);

    QAction* button(int index) const;
    QString key(int index) const;
    int indexOf(const QString& key) const; // 0 when no button has that key

    bool isEnabled(int index) const;
    void setEnabled(int index, bool enabled);
    bool isPressed(int index) const;
    void setPressed(int index, bool pressed);

    // Clicks the button as a person would (only an enabled button reacts).
    void click(int index);

signals:
    void ButtonClick(const QString& key);

private:
    struct Button {
        QString key;
        QAction* action = nullptr;
    };
    void addButton(const QString& key, const QString& toolTip, int picture, bool toggle);
    void addSeparatorButton();
    void onTriggered(int index);

    std::vector<Button> m_buttons; // m_buttons[0] is button 1
};

} // namespace tovik
