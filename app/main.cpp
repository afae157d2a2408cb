// Ravelle: keeps the printed layout of a trust account receipt.

#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    orvane::TRavelleWindow window;
    window.show();
    return app.exec();
}
