// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/links.h"
#include "core/keyvalue.h"
#include "help/frmabout.h"
#include "platform/qthelpengine.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

using namespace tovik;
using namespace tovik::test;

namespace {
const QString PathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
const QString FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

RegistryValue stringValue(const QByteArray& text, bool withNul) {
    RegistryValue v{RegString, QByteArray(KeyValueBufferSize, '\0'), 0};
    std::copy(text.begin(), text.end(), v.buffer.begin());
    v.byteCount = quint32(text.size() + (withNul ? 1 : 0));
    return v;
}

QString plainCaption(const QAction* a) {
    return a->text().remove('&');
}
} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void keyValueCutting() {
        QCOMPARE(
            keyValueText(stringValue("C:\\tools\\msinfo32.exe", true).buffer, 22, RegString, ""),
            QString("C:\\tools\\msinfo32.exe"));
        const RegistryValue bare = stringValue("C:\\tools", false);
        QCOMPARE(keyValueText(bare.buffer, bare.byteCount, RegString, "x"), QString("C:\\tools"));
        QByteArray number(KeyValueBufferSize, '\0');
        number[0] = char(0x10);
        number[1] = char(0x01);
        QCOMPARE(keyValueText(number, 4, RegNumber, ""), QString("&h00000110"));
        QCOMPARE(keyValueText(number, 4, 3, "kept"), QString("kept")); // a binary value
    }

    void sysInfoBranches() {
        Viewer v;
        frmAbout box(v.w());
        FakeRegistry& reg = v.fake.registry;
        reg.values[PathKey] = stringValue("/opt/tool/info", true);
        reg.startable << "/opt/tool/info";
        box.cmdSysInfo->click(); // the first entry: started from its path
        QCOMPARE(reg.started, QStringList{"/opt/tool/info"});
        QCOMPARE(reg.queried, QStringList{PathKey}); // the second entry is not read
        QVERIFY(v.fake.messages.shown.isEmpty());

        reg.values.clear();
        reg.queried.clear();
        reg.started.clear();
        const QString folder = v.fake.folder.path();
        reg.values[FolderKey] = stringValue(QFile::encodeName(folder), true);
        box.StartSysInfo(); // only the folder, and no tool file in it
        QVERIFY(reg.started.isEmpty());
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first(),
                 qMakePair(QString("Tovik Viewer"),
                           QString("System Information Is Unavailable At This Time")));

        const QString tool = folder + systemToolFileName(); // now the tool is in the folder
        v.fake.write(systemToolFileName().mid(1), "#!/bin/sh\n");
        reg.startable << tool;
        box.StartSysInfo();
        QCOMPARE(reg.started, QStringList{tool});
        QCOMPARE(v.fake.messages.shown.size(), 1);
    }

    void aboutBoxShowsTheVersionAndCloses() {
        Viewer v;
        frmAbout box(v.w());
        QCOMPARE(box.windowTitle(), QString("About Tovik Viewer"));
        QVERIFY(
            box.lblVersion->text().contains(QRegularExpression("^Version \\d+\\.\\d+\\.\\d+$")));
        QCOMPARE(box.lblDescription->text(),
                 QString("Graphic slide show viewer and thumbnail builder."));
        QCOMPARE(box.size(), QSize(382, 237));
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(!box.isVisible());
        box.show();
        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void helpAndLinksReachTheirServices() {
        Viewer v;
        v.w().Contents->trigger();
        v.w().HelpIndex->trigger();
        QCOMPARE(v.fake.help.calls, (QStringList{"contents:" + v.fake.file("viewer.html"),
                                                 "index:" + v.fake.file("viewer.html")}));
        v.w().Mail->trigger();
        v.w().SiteOne->trigger();
        v.w().SiteTwo->trigger();
        QCOMPARE(v.fake.shell.opened, (QStringList{MailAddress, SiteOneAddress, SiteTwoAddress}));
        QVERIFY(MailAddress.startsWith("mailto:"));
    }

    void helpWindowOpensAtContentsAndIndex() {
        QWidget owner;
        QtHelpEngine engine;
        engine.setOwner(&owner);
        engine.showIndex(QStringLiteral(TOVIK_HELPFILE));
        auto* browser = owner.findChild<QTextBrowser*>();
        QVERIFY(browser);
        QVERIFY(browser->window()->isVisible());
        QVERIFY(!browser->window()->isModal());
        QCOMPARE(browser->source().fragment(), QString("index"));
        engine.showContents(QStringLiteral(TOVIK_HELPFILE));
        QCOMPARE(owner.findChildren<QTextBrowser*>().size(), 1); // the same window again
        QCOMPARE(browser->source().fragment(), QString("contents"));
        engine.showContents("/nowhere/viewer.html");
        QVERIFY(browser->toPlainText().contains("could not be found"));
    }

    void helpWindowOpensBesideTheMainWindowAndOnTheScreen_data() {
        QTest::addColumn<int>("mainLeft");
        QTest::addColumn<int>("mainWidth");
        QTest::addColumn<QString>("side");
        QTest::newRow("room on the right") << 0 << 100 << "right";
        QTest::newRow("room on the left only") << 680 << 100 << "left";
        QTest::newRow("room on neither side") << 100 << 600 << "either";
    }
    void helpWindowOpensBesideTheMainWindowAndOnTheScreen() {
        QFETCH(int, mainLeft);
        QFETCH(int, mainWidth);
        QFETCH(QString, side);
        QWidget owner;
        const QRect screen = owner.screen()->availableGeometry();
        owner.setGeometry(screen.x() + mainLeft, screen.y() + 40, mainWidth, 300);
        QtHelpEngine engine;
        engine.setOwner(&owner);
        engine.showContents(QStringLiteral(TOVIK_HELPFILE));
        const QRect help = owner.findChild<QTextBrowser*>()->window()->geometry();
        QVERIFY2(screen.contains(help), qPrintable(QString("%1 %2").arg(help.x()).arg(help.y())));
        const QRect main = owner.geometry();
        if (side == "right")
            QVERIFY(help.left() > main.right());
        if (side == "left")
            QVERIFY(help.right() < main.left());
    }

    void helpFileNamesOnlyRealCommands() {
        QFile file(QStringLiteral(TOVIK_HELPFILE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (const char* anchor : {"name=\"contents\"", "name=\"index\""})
            QVERIFY(html.contains(anchor));
        Viewer v;
        const QRegularExpression command("<kbd>(\\w+) &gt; ([^<]+)</kbd>");
        int checked = 0;
        for (const auto& m : command.globalMatch(html.section("name=\"opening\"", 0, 0))) {
            const QString menu = m.captured(1), itemText = m.captured(2).trimmed();
            QMenu* found = nullptr;
            for (QMenu* top : {v.w().File, v.w().view, v.w().Tools, v.w().Help})
                if (top->title().remove('&') == menu)
                    found = top;
            QVERIFY2(found, qPrintable(menu));
            bool present = false;
            for (const QAction* a : found->actions())
                present = present || plainCaption(a) == itemText;
            QVERIFY2(present, qPrintable(menu + " > " + itemText));
            ++checked;
        }
        QVERIFY(checked >= 10);
    }
};

TOVIK_REGISTER_TEST(TestHelp)
#include "test_help.moc"
