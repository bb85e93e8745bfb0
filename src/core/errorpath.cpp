#include "core/errorpath.h"

#include "core/failure.h"

#include <QCoreApplication>

#include <cstdio>

#include <exception>
#include <new>

namespace Zuvi::Core {

namespace {
bool s_ending = false;

EndHook &endHookSlot()
{
    static EndHook hook;
    return hook;
}

Presenter &presenterSlot()
{
    static Presenter presenter;
    return presenter;
}

void show(const QString &text)
{
    if (const Presenter &presenter = presenterSlot(); presenter.show) {
        presenter.show(text);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void endApplication()
{
    if (const EndHook &hook = endHookSlot()) {
        hook();
        return;
    }
    if (const Presenter &presenter = presenterSlot(); presenter.end)
        presenter.end();
    QCoreApplication::exit(1);
}

void fail(const QString &text)
{
    s_ending = true;
    show(text);
    endApplication();
}
} // namespace

QString fatalText(int code, const QString &description)
{
    return QStringLiteral("Error %1: %2").arg(code).arg(description);
}

QString failureText(const std::exception &error)
{
    if (const auto *interruption = dynamic_cast<const Interruption *>(&error))
        return interruption->description();
    if (const auto *failure = dynamic_cast<const Failure *>(&error))
        return fatalText(failure->code(), failure->description());
    if (dynamic_cast<const std::bad_alloc *>(&error))
        return fatalText(7, QStringLiteral("out of memory"));
    return QString::fromLocal8Bit(error.what());
}

void runGuarded(const std::function<void()> &handler)
{
    if (s_ending)
        return;
    try {
        handler();
    } catch (const Interruption &interruption) {
        // The step changed nothing and the organiser carries on: only the reason is shown.
        show(interruption.description());
    } catch (const Failure &error) {
        fail(fatalText(error.code(), error.description()));
    } catch (const std::bad_alloc &) {
        fail(fatalText(7, QStringLiteral("out of memory")));
    } catch (const std::exception &error) {
        fail(fatalText(-1, QString::fromLocal8Bit(error.what())));
    } catch (...) {
        fail(fatalText(-1, QStringLiteral("unexpected failure")));
    }
}

bool isEnding()
{
    return s_ending;
}

EndHook setEndHook(EndHook hook)
{
    return std::exchange(endHookSlot(), std::move(hook));
}

Presenter setPresenter(Presenter presenter)
{
    return std::exchange(presenterSlot(), std::move(presenter));
}

void resetEnding()
{
    s_ending = false;
}

} // namespace Zuvi::Core
