// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "editing/frmproperties.h"

#include "app/frmshowtell.h"
#include "imaging/pictures.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMap>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tovik {

namespace {
const QString Title = QStringLiteral("Picture Properties");
const QString NoProfile = QStringLiteral("none: shown as sRGB");
const QString NothingShown = QStringLiteral("No picture is shown.");

QMap<QString, QString> fieldsOf(const QByteArray& properties) {
    QMap<QString, QString> fields;
    for (const QByteArray& line : properties.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            fields.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
    return fields;
}

QString fileSize(qint64 bytes) {
    const QLocale english(QLocale::English);
    return QStringLiteral("%1 (%2 bytes)")
        .arg(english.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat),
             english.toString(bytes));
}

QString focal(const QMap<QString, QString>& f) {
    const QString length = f.value("Focal");
    const QString equivalent = f.value("Focal35");
    if (equivalent.isEmpty())
        return length;
    return (length.isEmpty() ? QString() : length + ' ') +
           QStringLiteral("(%1 in 35 mm terms)").arg(equivalent);
}

// The camera's rows, by the fields' own keys, in the order they are listed.
void addCameraRows(QList<PropertyRow>& rows, const QMap<QString, QString>& f) {
    static const QList<QPair<const char*, const char*>> camera = {
        {"Make", "Camera maker"},      {"Model", "Camera model"}, {"Lens", "Lens"},
        {"Exposure", "Exposure time"}, {"Aperture", "Aperture"},  {"ISO", "ISO"}};
    for (const auto& [key, caption] : camera)
        rows.append({caption, f.value(key)});
    rows.append({QStringLiteral("Focal length"), focal(f)});
    rows.append({QStringLiteral("Flash"), f.value("Flash")});
    rows.append({QStringLiteral("Exposure programme"), f.value("Program")});
    rows.append({QStringLiteral("Date taken"), f.value("Taken")});
    if (f.contains("Latitude") && f.contains("Longitude"))
        rows.append(
            {QStringLiteral("GPS position"), f.value("Latitude") + ", " + f.value("Longitude")});
}
} // namespace

QList<PropertyRow> propertyRows(const QString& path, const QByteArray& properties) {
    const QMap<QString, QString> f = fieldsOf(properties);
    const QFileInfo file(path);
    QList<PropertyRow> rows{
        {QStringLiteral("File name"), file.fileName()},
        {QStringLiteral("Folder"), QDir::toNativeSeparators(file.absolutePath())},
        {QStringLiteral("File size"), fileSize(file.size())},
        {QStringLiteral("Format"), f.value("Format")}};
    if (f.contains("Width"))
        rows.append(
            {QStringLiteral("Size in pixels"), f.value("Width") + " x " + f.value("Height")});
    if (f.contains("Depth"))
        rows.append({QStringLiteral("Bit depth"), f.value("Depth") + " bits a channel"});
    rows.append({QStringLiteral("Colour profile"), f.value("Profile", NoProfile)});
    addCameraRows(rows, f);
    rows.removeIf([](const PropertyRow& row) { return row.value.isEmpty(); });
    return rows;
}

QString placeAddress(const QByteArray& properties) {
    const QMap<QString, QString> f = fieldsOf(properties);
    if (!f.contains("Latitude") || !f.contains("Longitude"))
        return {};
    return QStringLiteral("geo:%1,%2").arg(f.value("Latitude"), f.value("Longitude"));
}

frmProperties::frmProperties(frmShowTell& window) : QDialog(&window), m_window(window) {
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(Title);
    setModal(false);
    List = new QTreeWidget(this);
    List->setColumnCount(2);
    List->setHeaderHidden(true);
    List->setRootIsDecorated(false);
    List->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Nothing = new QLabel(NothingShown, this);
    CopyAll = new QPushButton(QStringLiteral("&Copy All"), this);
    OpenPlace = new QPushButton(QStringLiteral("Open &Location"), this);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OpenPlace);
    buttons->addStretch();
    buttons->addWidget(CopyAll);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List);
    layout->addWidget(Nothing);
    layout->addLayout(buttons);
    resize(440, 420);
    connect(CopyAll, &QPushButton::clicked, this, &frmProperties::CopyAll_Click);
    connect(OpenPlace, &QPushButton::clicked, this, &frmProperties::OpenPlace_Click);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(&window, &frmShowTell::shownChanged, this, [this](const QString& path) {
        if (isVisible())
            Form_Show(path);
    });
}

void frmProperties::Form_Show(const QString& path) {
    List->clear();
    const QByteArray properties = path.isEmpty() ? QByteArray() : readProperties(path);
    if (!path.isEmpty())
        for (const PropertyRow& row : propertyRows(path, properties))
            new QTreeWidgetItem(List, {row.caption, row.value});
    m_place = placeAddress(properties);
    Nothing->setVisible(path.isEmpty());
    List->setVisible(!path.isEmpty());
    CopyAll->setEnabled(!path.isEmpty());
    OpenPlace->setEnabled(!m_place.isEmpty());
}

QString frmProperties::asText() const {
    QString text;
    for (int i = 0; i < List->topLevelItemCount(); ++i)
        text += List->topLevelItem(i)->text(0) + ": " + List->topLevelItem(i)->text(1) + '\n';
    return text;
}

void frmProperties::CopyAll_Click() {
    QGuiApplication::clipboard()->setText(asText());
}

void frmProperties::OpenPlace_Click() {
    if (!m_place.isEmpty())
        m_window.platform().shell.open(m_place);
}

namespace {
// Beside the main window, where the screen has room, so that the picture stays in view.
void placeBeside(frmProperties& properties, const frmShowTell& window) {
    const QScreen* screen = window.screen();
    const QRect frame = window.frameGeometry();
    const QPoint right = frame.topRight() + QPoint(1, 0);
    if (screen && screen->availableGeometry().contains(QRect(right, properties.frameSize())))
        properties.move(right);
}
} // namespace

void PropertiesCommand(frmShowTell& window) {
    auto* properties = window.findChild<frmProperties*>();
    if (!properties) {
        properties = new frmProperties(window);
        placeBeside(*properties, window);
    }
    properties->Form_Show(window.shownFile());
    properties->show();
    properties->raise();
}

} // namespace tovik
