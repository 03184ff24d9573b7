// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/buttonbar.h"

#include "app/artwork.h"

#include <QAction>

namespace tovik {

ButtonBar::ButtonBar(QWidget* parent) : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    addButton(QStringLiteral("Open"), QStringLiteral("Open File"), 1, false);
    addButton(QStringLiteral("SaveAs"), QStringLiteral("Save As..."), 9, false);
    addSeparatorButton();
    addButton(QStringLiteral("ClockTimer"), QStringLiteral("Toggles timer"), 4, true);
    addButton(QStringLiteral("LoopForever"), QStringLiteral("Toggles loop forever"), 5, true);
    addSeparatorButton();
    addButton(QStringLiteral("LeftArrow"), QStringLiteral("Back one picture"), 2, false);
    addButton(QStringLiteral("RightArrow"), QStringLiteral("Forward one picture"), 3, false);
    addSeparatorButton();
    addButton(QStringLiteral("ZoomPlus"), QStringLiteral("Zoom In"), 6, false);
    addButton(QStringLiteral("ZoomMinus"), QStringLiteral("Zoom Out"), 7, false);
    addButton(QStringLiteral("ZoomEqual"), QStringLiteral("Original Size"), 8, false);
    addSeparatorButton();
    addButton(QStringLiteral("Thumbnail"), QStringLiteral("Generate Thumbnails"), 10, false);
}

void ButtonBar::addButton(const QString& key, const QString& toolTip, int picture, bool toggle) {
    QAction* action = addAction(toolbarPicture(picture), QString());
    action->setToolTip(toolTip);
    action->setObjectName(key);
    // A checkable action shows the pressed value; the click handler puts it back, since only the
    // operation behind the button decides whether it is pressed.
    action->setCheckable(toggle);
    const int index = int(m_buttons.size()) + 1;
    connect(action, &QAction::triggered, this, [this, index] { onTriggered(index); });
    m_buttons.push_back({key, action});
}

void ButtonBar::addSeparatorButton() {
    m_buttons.push_back({QString(), addSeparator()});
}

void ButtonBar::onTriggered(int index) {
    QAction* action = button(index);
    if (action->isCheckable()) {
        const QSignalBlocker block(action);
        action->setChecked(!action->isChecked());
    }
    emit ButtonClick(key(index));
}

QAction* ButtonBar::button(int index) const {
    if (index < 1 || index > int(m_buttons.size()))
        return nullptr;
    return m_buttons[std::size_t(index - 1)].action;
}

QString ButtonBar::key(int index) const {
    if (index < 1 || index > int(m_buttons.size()))
        return {};
    return m_buttons[std::size_t(index - 1)].key;
}

int ButtonBar::indexOf(const QString& key) const {
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        if (!key.isEmpty() && m_buttons[i].key == key)
            return int(i) + 1;
    return 0;
}

bool ButtonBar::isEnabled(int index) const {
    const QAction* a = button(index);
    return a && a->isEnabled();
}

void ButtonBar::setEnabled(int index, bool enabled) {
    if (QAction* a = button(index))
        a->setEnabled(enabled);
}

bool ButtonBar::isPressed(int index) const {
    const QAction* a = button(index);
    return a && a->isChecked();
}

void ButtonBar::setPressed(int index, bool pressed) {
    if (QAction* a = button(index)) {
        const QSignalBlocker block(a);
        a->setChecked(pressed);
    }
}

void ButtonBar::click(int index) {
    if (QAction* a = button(index); a && a->isEnabled() && !a->isSeparator())
        a->trigger();
}

} // namespace tovik
