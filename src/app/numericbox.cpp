// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/numericbox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace tovik {

namespace {
class NumericFilter : public QObject {
public:
    explicit NumericFilter(QLineEdit* box) : QObject(box), m_box(box) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            return !accepted(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusIn && !m_box->text().isEmpty())
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, m_box, [box = m_box] { box->selectAll(); });
        return QObject::eventFilter(watched, event);
    }

private:
    static bool accepted(const QKeyEvent* key) {
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return true; // moves the focus; not a character for the box
        if (key->key() == Qt::Key_Delete)
            return true; // an editing key, though X11 gives it the text "\x7f"
        const QString text = key->text();
        if (text.isEmpty())
            return true; // arrows, Delete, Home: keys, not characters
        const QChar c = text.at(0);
        return text.size() == 1 &&
               ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QChar(8));
    }
    QLineEdit* m_box;
};
} // namespace

void makeNumericBox(QLineEdit* box) {
    box->installEventFilter(new NumericFilter(box));
}

} // namespace tovik
