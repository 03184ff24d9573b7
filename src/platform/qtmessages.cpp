#include "platform/qtmessages.h"

#include <QMessageBox>

namespace tovik {

void QtMessages::message(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}

} // namespace tovik
