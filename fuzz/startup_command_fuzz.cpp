// Program parameters (the input cut into parameters at NUL bytes) read into
// a start-up plan: must not crash, and the plan must hold together.
#include "comms/line/ComDevices.h"
#include "sessions/StartupCommand.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList arguments;
    if (size > 0) {
        const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
        for (const QByteArray &argument : input.split('\0'))
            arguments << QString::fromUtf8(argument);
    }
    const StartupPlan plan = StartupCommand::interpret(arguments);
    using Step = StartupPlan::Step;
    using Form = StartupPlan::Form;

    // Steps come in their fixed order, each at most once.
    for (qsizetype i = 1; i < plan.steps.size(); ++i)
        check(plan.steps.at(i - 1) < plan.steps.at(i));
    check((plan.form == Form::None) == arguments.isEmpty());
    check(plan.steps.contains(Step::AutoStart) == arguments.isEmpty());
    check(!plan.port.isEmpty());

    if (plan.form == Form::Url || plan.form == Form::Telnet) {
        check(plan.steps.size() == 1);
        check(plan.steps.first() == (plan.host.isEmpty() ? Step::CannotConnect : Step::ConnectHost));
        check(!plan.notices.isEmpty());
        check(plan.lookUpHost
            == (!plan.host.isEmpty() && plan.host.front() >= QLatin1Char('A')
                && plan.host.front() <= QLatin1Char('z')));
    }
    if (plan.form == Form::Url) {
        check(plan.notices.first() == arguments.first());
        check(plan.notices.last() == plan.host);
        check(!plan.host.contains(QLatin1Char('/')));
    }
    if (plan.form != Form::Switches) {
        check(plan.serialLine.kind == LineSpec::Kind::None && plan.tcpLine.kind == LineSpec::Kind::None);
        return 0;
    }

    check(plan.notices.isEmpty());
    check(plan.steps.contains(Step::DialEntry) == !plan.entryName.isEmpty());
    check(plan.steps.contains(Step::RunScript) == !plan.scriptName.isEmpty());
    const LineSpec &serial = plan.serialLine;
    check(plan.steps.contains(Step::OpenPort)
        == (serial.kind == LineSpec::Kind::Serial && plan.entryName.isEmpty()));
    if (serial.kind == LineSpec::Kind::Serial) {
        check(serial.device.isEmpty() ? serial.comNumber >= 1 && serial.comNumber <= ComDevices::maxComNumber
                                      : serial.device.startsWith(QLatin1Char('/')));
        check(serial.serial.baud >= 50 && serial.serial.baud <= 4000000);
    }
    const LineSpec &tcp = plan.tcpLine;
    if (tcp.kind == LineSpec::Kind::Tcp)
        check(!tcp.host.isEmpty() && tcp.port != 0);
    if (plan.steps.contains(Step::ConnectTcp))
        check(tcp.kind == LineSpec::Kind::Tcp && !plan.steps.contains(Step::OpenPort));
    return 0;
}
