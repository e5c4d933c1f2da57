#include "ErrorReport.h"

#include "Messages.h"
#include "base/AppError.h"
#include "text/TextCatalog.h"

#include <exception>
#include <new>

namespace ErrorReport {

namespace {

const TextCatalog *g_catalog = nullptr;

} // namespace

QString outOfMemoryText()
{
    return g_catalog ? g_catalog->text(OutOfMemoryText) : TextCatalog::defaultText(OutOfMemoryText);
}

CatalogInUse::CatalogInUse(const TextCatalog &catalog)
    : m_previous(g_catalog)
{
    g_catalog = &catalog;
}

CatalogInUse::~CatalogInUse()
{
    g_catalog = m_previous;
}

bool run(Messages &messages, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const AppError &e) {
        messages.error(e.message());
    } catch (const std::bad_alloc &) {
        // The command's allocations are gone with the stack it unwound: there is room for a message.
        messages.error(outOfMemoryText());
    } catch (const std::exception &e) {
        messages.error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        messages.error(QStringLiteral("Unexpected error"));
    }
    return false;
}

} // namespace ErrorReport
