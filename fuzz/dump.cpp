// The image decoder behind dump: any bytes, as a bank.bin or bank2.bin would be read.
#include "FuzzSupport.h"

#include "Commands.h"

#include <QTextStream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    Cli::dumpImage(FuzzSupport::bytes(data, size), QStringLiteral("fuzz.bin"), outStream, errStream);
    return 0;
}
