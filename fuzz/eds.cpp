// The EDS reader on any bytes: it gives a device or an error, never both and never neither, and counts
// the converter takes. The chosen entries are checked against the file's syntax read on its own: the
// default entry is the one whose number the connection entry gives, with that entry's size.
#include "FuzzSupport.h"

#include "eds/EdsFile.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <optional>

namespace {

// A count or an entry number as a data sheet writes it: decimal, or hexadecimal after 0x.
std::optional<qint64> numberOf(const QString &field)
{
    const QString t = field.trimmed();
    bool ok = false;
    const bool hex = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? t.mid(2) : t;
    if (digits.isEmpty())
        return std::nullopt;
    const qint64 value = digits.toLongLong(&ok, hex ? 16 : 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

const char *infoKeyword(Eds::Connection connection)
{
    switch (connection) {
    case Eds::Connection::Poll:
        return "PollInfo";
    case Eds::Connection::Strobe:
        return "StrobeInfo";
    case Eds::Connection::ChangeOfState:
        return "COSInfo";
    case Eds::Connection::Cyclic:
        return "CyclicInfo";
    }
    return "";
}

// The default entry of one kind: its number is the connection entry's field, its size that entry's.
void checkDefault(const Eds::Section &io, const Eds::Entry &info, int field, const QString &kind,
                  const Eds::IoEntry &chosen)
{
    const std::optional<qint64> number = numberOf(info.fields.value(field - 1));
    if (!number || *number != chosen.number)
        std::abort();
    if (chosen.number == 0) {
        if (chosen.bytes != 0)
            std::abort();
        return;
    }
    const Eds::Entry *entry = io.entry(kind + QString::number(chosen.number));
    if (!entry)
        std::abort();
    const std::optional<qint64> bytes = numberOf(entry->fields.value(0));
    if (!bytes || *bytes != chosen.bytes)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TextCatalog &catalog = TextCatalog::english();
    const QByteArray input = FuzzSupport::bytes(data, size);
    const Eds::Result r = Eds::read(input, QStringLiteral("fuzz.eds"), catalog);
    if (r.device.has_value() == !r.error.isEmpty())
        std::abort();
    if (r.warnings.size() > Eds::MaxWarnings + 1)
        std::abort();
    if (r.device) {
        const Eds::Device &d = *r.device;
        for (const QVector<Eds::IoEntry> *entries : {&d.inputs, &d.outputs}) {
            if (entries->isEmpty())
                std::abort();
            for (const Eds::IoEntry &e : *entries) {
                if (e.bytes < 0 || e.bytes > Eds::MaxBytesPerSlave || e.number < 0 || e.number > Eds::MaxEntryNumber)
                    std::abort();
            }
        }
        if (d.defaultInput < 0 || d.defaultInput >= d.inputs.size() || d.defaultOutput < 0 ||
            d.defaultOutput >= d.outputs.size())
            std::abort();

        const Eds::Parsed parsed = Eds::parse(LanguageFile::decode(input), catalog);
        const Eds::Section *io = parsed.section(QStringLiteral("IO_Info"));
        const Eds::Entry *info = io ? io->entry(QLatin1String(infoKeyword(d.connection))) : nullptr;
        if (!info)
            std::abort();
        checkDefault(*io, *info, 2, QStringLiteral("Input"), d.inputs.at(d.defaultInput));
        if (d.connection != Eds::Connection::Strobe)
            checkDefault(*io, *info, 3, QStringLiteral("Output"), d.outputs.at(d.defaultOutput));
        else if (d.outputs.at(d.defaultOutput).bytes != 0)
            std::abort();
    }
    return 0;
}
