#include "sessions/EntryEditorFields.h"

#include <array>

namespace {

constexpr int zmodem = 7;
constexpr int lastProtocol = 10;
constexpr int defaultRedial = 5;

const QString flagOn = QStringLiteral("1");
const QString flagOff = QStringLiteral("0");

QString flag(bool on)
{
    return on ? flagOn : flagOff;
}

} // namespace

int numberOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

int keyboardItem(const QString &key)
{
    static const std::array<QStringList, 5> names{QStringList{QStringLiteral("ANSI")},
        QStringList{QStringLiteral("VT52")}, QStringList{QStringLiteral("VT100A"), QStringLiteral("VT100N")},
        QStringList{QStringLiteral("TN3270")},
        QStringList{QStringLiteral("VT220A"), QStringLiteral("VT220N")}};
    for (int item = 0; item < int(names.size()); ++item)
        if (names[size_t(item)].contains(key))
            return item;
    return 0;
}

QString keyboardName(int item)
{
    static const QStringList names{QStringLiteral("ANSI"), QStringLiteral("VT52"), QStringLiteral("VT100N"),
        QStringLiteral("TN3270"), QStringLiteral("VT220N")};
    return names.value(item, names.first());
}

int protocolItem(const QString &protocol)
{
    const int item = numberOr(protocol, zmodem);
    return item >= 0 && item <= lastProtocol ? item : zmodem;
}

int limitedIcon(const QString &image, int iconCount)
{
    if (iconCount <= 0)
        return -1;
    return qBound(0, numberOr(image, 0), iconCount - 1);
}

SessionEditorFields sessionEditorFields(PhonebookEntry &entry)
{
    if (entry.get(PhoneField::Term) == QStringLiteral("0"))
        entry.set(PhoneField::Term, flagOn);
    SessionEditorFields fields;
    fields.name = entry.get(PhoneField::Name);
    fields.phone = entry.get(PhoneField::Phone);
    fields.script = entry.get(PhoneField::Script);
    fields.last = entry.get(PhoneField::Last);
    fields.address = entry.get(PhoneField::Wip);
    fields.tcpPort = entry.get(PhoneField::WPort);
    fields.tcp = entry.get(PhoneField::Contype) != flagOff;
    fields.server = entry.get(PhoneField::Wmode) != flagOff;
    fields.answer = entry.get(PhoneField::AA) == flagOn;
    fields.protocol = protocolItem(entry.get(PhoneField::Protocol));
    fields.terminal = numberOr(entry.get(PhoneField::Term), 1) - 1;
    fields.keyboard = keyboardItem(entry.get(PhoneField::Key));
    fields.iconIndex = numberOr(entry.get(PhoneField::Image), 0);
    fields.iconName = entry.get(PhoneField::iconname);
    fields.retries = numberOr(entry.get(PhoneField::Redialtrys), defaultRedial);
    fields.waitSeconds = numberOr(entry.get(PhoneField::Redialsecs), defaultRedial);
    return fields;
}

void applySessionEditor(const SessionEditorFields &fields, PhonebookEntry &entry)
{
    entry.set(PhoneField::Key, keyboardName(fields.keyboard));
    entry.set(PhoneField::Term, QString::number(fields.terminal + 1));
    entry.set(PhoneField::WPort, fields.tcpPort);
    entry.set(PhoneField::Wip, fields.address);
    entry.set(PhoneField::Protocol, QString::number(fields.protocol));
    entry.set(PhoneField::Contype, flag(fields.tcp));
    entry.set(PhoneField::Wmode, flag(fields.server));
    entry.set(PhoneField::Phone, fields.phone);
    entry.set(PhoneField::Script, fields.script);
    entry.set(PhoneField::AA, flag(fields.answer));
    entry.set(PhoneField::Image, QString::number(fields.iconIndex));
    entry.set(PhoneField::iconname, fields.iconName);
    entry.set(PhoneField::Redialtrys, QString::number(fields.retries));
    entry.set(PhoneField::Redialsecs, QString::number(fields.waitSeconds));
}

SessionEditorFields newSessionEditorFields(const PhonebookEntry &fresh)
{
    PhonebookEntry entry = fresh;
    SessionEditorFields fields = sessionEditorFields(entry);
    fields.last.clear();
    fields.tcp = false;
    fields.server = false;
    return fields;
}

FtpEditorFields ftpEditorFields(const PhonebookEntry &entry, int iconCount)
{
    FtpEditorFields fields;
    fields.name = entry.get(PhoneField::Name);
    fields.host = entry.get(PhoneField::fHost);
    fields.port = entry.get(PhoneField::fPort);
    fields.login = entry.get(PhoneField::fName);
    fields.password = entry.get(PhoneField::fPass);
    fields.passive = entry.get(PhoneField::fPassive) == flagOn;
    fields.iconIndex = qMax(0, limitedIcon(entry.get(PhoneField::Image), iconCount));
    fields.iconName = entry.get(PhoneField::iconname);
    return fields;
}

void applyFtpEditor(const FtpEditorFields &fields, const QString &iconFileName, PhonebookEntry &entry)
{
    entry.set(PhoneField::fHost, fields.host);
    entry.set(PhoneField::fPort, fields.port);
    entry.set(PhoneField::fName, fields.login);
    entry.set(PhoneField::fPass, fields.password);
    entry.set(PhoneField::Image, QString::number(fields.iconIndex));
    entry.set(PhoneField::iconname, iconFileName);
}

bool isDiallable(const PhonebookEntry &entry)
{
    return !entry.get(PhoneField::Device).isEmpty() || !entry.get(PhoneField::fHost).isEmpty()
        || !entry.get(PhoneField::Wip).isEmpty();
}
