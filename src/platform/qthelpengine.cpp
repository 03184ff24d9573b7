// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qthelpengine.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tovik {

namespace {
const QString HelpTitle = QStringLiteral("Tovik Viewer Help");
const QString MissingText = QStringLiteral(
    "<h2>Help is not available</h2><p>The help file <b>%1</b> could not be found. It is "
    "installed with the program, beside the executable.</p>");
constexpr int Gap = 16;

// Beside the main window where the screen has room for it, and on the screen in any case.
QPoint besideOwner(const QWidget& owner, QSize size) {
    const QRect main = owner.frameGeometry();
    const QRect screen = owner.screen()->availableGeometry();
    const int right = screen.x() + screen.width(), bottom = screen.y() + screen.height();
    int left = main.x() + main.width() + Gap;
    if (left + size.width() > right)
        left = main.x() - Gap - size.width();
    left = std::max(screen.x(), std::min(left, right - size.width()));
    const int top = std::max(screen.y(), std::min(main.y(), bottom - size.height()));
    return {left, top};
}
} // namespace

void QtHelpEngine::show(const QString& helpFile, const char* anchor) {
    if (!m_window) {
        m_window = new QWidget(m_owner, Qt::Window);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        m_window->setWindowTitle(HelpTitle);
        m_window->resize(640, 560);
        m_browser = new QTextBrowser(m_window);
        m_browser->setOpenExternalLinks(true);
        auto* layout = new QVBoxLayout(m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_browser);
        if (m_owner)
            m_window->move(besideOwner(*m_owner, m_window->size()));
    }
    if (QFileInfo(helpFile).isFile()) {
        QUrl page = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
        page.setFragment(QLatin1String(anchor));
        m_browser->setSource(page);
        m_browser->scrollToAnchor(QLatin1String(anchor));
    } else {
        m_browser->setHtml(MissingText.arg(helpFile.toHtmlEscaped()));
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtShell::open(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace tovik
