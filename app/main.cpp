#include "Form1.h"
#include "HexmothApplication.h"

int main(int argc, char *argv[])
{
    HexmothApplication app(argc, argv);
    Form1 window;
    window.show();
    return app.exec();
}
