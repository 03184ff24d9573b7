#include "platform/qthelpengine.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tovik {

namespace {
const QString HelpTitle = QStringLiteral("Tovik Viewer Help");
const QString MissingText = QStringLiteral(
    "<h2>Help is not available</h2><p>The help file <b>%1</b> could not be found. It is "
    "installed with the program, beside the executable.</p>");
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
        if (m_owner) // beside the main window, not over it
            m_window->move(m_owner->frameGeometry().topRight() + QPoint(16, 0));
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
