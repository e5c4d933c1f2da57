#include "ErrorReport.h"

#include "Messages.h"
#include "app/AppError.h"

#include <exception>

namespace ErrorReport {

bool run(Messages &messages, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const AppError &e) {
        messages.error(e.message());
    } catch (const std::exception &e) {
        messages.error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        messages.error(QStringLiteral("Unexpected error"));
    }
    return false;
}

} // namespace ErrorReport
