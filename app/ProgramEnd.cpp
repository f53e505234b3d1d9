#include "ProgramEnd.h"

#include "Form1.h"

#include <QCoreApplication>

void ProgramEnd::connect(Form1 &form)
{
    QObject::connect(&form, &Form1::endRequested, QCoreApplication::instance(),
                     [] { QCoreApplication::exit(0); });
}
