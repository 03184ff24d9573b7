#include "support/fakes.h"

#include <QFile>

namespace tovik::test {

FakeScreen::FakeScreen() {
    g.tppX = g.tppY = 15;
    g.primary = {0, 0, 1280 * 15, 1024 * 15};
    g.screens = {g.primary};
}

FakePlatform::FakePlatform() : platform{screen, messages, folder.path()} {}

void FakePlatform::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray FakePlatform::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tovik::test
