#include "app/program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    valthera::Program program;
    program.start();
    return app.exec();
}
