#include "app/dialoglayout.h"

#include "app/frmshowtell.h"
#include "core/rounding.h"

#include <QWidget>

namespace tovik {

void placeTwips(QWidget* control, double left, double top, double width, double height, double tppX,
                double tppY) {
    control->setGeometry(twipsToPixels(left, tppX), twipsToPixels(top, tppY),
                         twipsToPixels(width, tppX), twipsToPixels(height, tppY));
}

void sizeClientTwips(QWidget* dialog, double width, double height, double tppX, double tppY) {
    dialog->setFixedSize(twipsToPixels(width, tppX), twipsToPixels(height, tppY));
}

void centreOnMainWindow(QWidget* window, const frmShowTell& main) {
    const QRect outer = main.frameGeometry();
    const QRect own = window->frameGeometry();
    const double tx = main.tppX(), ty = main.tppY();
    const float left = float(outer.x() * tx) + float((outer.width() - own.width()) * tx) / 2;
    const float top = float(outer.y() * ty) + float((outer.height() - own.height()) * ty) / 2;
    window->move(twipsToPixels(left, tx), twipsToPixels(top, ty));
}

} // namespace tovik
