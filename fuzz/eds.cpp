// The EDS reader on any bytes: it gives a device or an error, never both and never neither, and counts
// the converter takes.
#include "FuzzSupport.h"

#include "eds/EdsFile.h"
#include "text/TextCatalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TextCatalog &catalog = TextCatalog::english();
    const Eds::Result r = Eds::read(FuzzSupport::bytes(data, size), QStringLiteral("fuzz.eds"), catalog);
    if (r.device.has_value() == !r.error.isEmpty())
        std::abort();
    if (r.device) {
        const Eds::Device &d = *r.device;
        for (const QVector<Eds::IoEntry> *entries : {&d.inputs, &d.outputs}) {
            if (entries->isEmpty())
                std::abort();
            for (const Eds::IoEntry &e : *entries) {
                if (e.bytes < 0 || e.bytes > Eds::MaxBytesPerSlave)
                    std::abort();
            }
        }
        if (d.defaultInput < 0 || d.defaultInput >= d.inputs.size() || d.defaultOutput < 0 ||
            d.defaultOutput >= d.outputs.size())
            std::abort();
    }
    return 0;
}
