#include "app/guard.h"

#include "app/prompts.h"
#include "model/failure.h"

#include <exception>

namespace vexil {

bool Guarded(Prompts& prompts, QWidget* parent, const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const Abandon&) {
    } catch (const Failure& failure) {
        prompts.report(parent, failure);
    } catch (const std::exception& e) {
        prompts.report(parent, Failure::error(QString::fromLocal8Bit(e.what())));
    }
    return false;
}

bool Quietly(const std::function<void()>& body) noexcept
{
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace vexil
