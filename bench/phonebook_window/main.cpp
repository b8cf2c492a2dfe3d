// Times opening the phonebook window (construction, filling the list, showing
// and the first paint) on a phonebook of 999 and of 10 entries, with 12 icons:
//   phonebook_window_bench [runs]   (default 10)
// "old" entries carry only an icon number, so each opening also writes their
// icon file names back (the file is written anew before each run); "current"
// entries already have them. Then typing one character into the filter and
// clearing it. Prints the median and the slowest run of each.
#include "support/PhonebookRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>

namespace {

// A phonebook as an older version left it: every field stored, no icon file name.
QByteArray oldPhonebook(int entries)
{
    QByteArray index = "[Index]\n";
    QByteArray sections;
    const StoreFields &fields = PhonebookEntry::fields();
    for (int i = 0; i < entries; ++i) {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        const QString name = QStringLiteral("Board %1").arg(i, 3, 10, QLatin1Char('0'));
        entry.set(PhoneField::Phone, QStringLiteral("555-%1").arg(i, 4, 10, QLatin1Char('0')));
        entry.set(PhoneField::Wip, QStringLiteral("bbs%1.example.org").arg(i));
        entry.set(PhoneField::Last, QStringLiteral("12/11/26 10:%1").arg(i % 60, 2, 10, QLatin1Char('0')));
        entry.set(PhoneField::Image, QString::number(i % 14));
        index += name.toUtf8() + "=#\n";
        sections += "[" + name.toUtf8() + "]\n";
        for (qsizetype f = 1; f < fields.size(); ++f)
            if (!entry.value(f).isEmpty())
                sections += fields[f].name.toUtf8() + "=" + entry.value(f).toUtf8() + "\n";
    }
    return index + "[Defaults]\n_Entries=" + QByteArray::number(entries) + "\n" + sections;
}

double openOnce(PhonebookRig &rig)
{
    QElapsedTimer timer;
    timer.start();
    {
        auto window = rig.window();
        window->show();
        QApplication::processEvents();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        window->reject();
        return ms;
    }
}

// Typing one character into the filter and taking it out again, each until
// the list is repainted.
QList<double> filterTimes(PhonebookRig &rig)
{
    auto window = rig.window();
    window->show();
    QApplication::processEvents();
    auto *filter = window->findChild<QLineEdit *>(QStringLiteral("filter"));
    QList<double> times;
    for (const QString &text : {QStringLiteral("9"), QString()}) {
        QElapsedTimer timer;
        timer.start();
        filter->setText(text);
        QApplication::processEvents();
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    window->reject();
    return times;
}

void report(const char *what, QList<double> times)
{
    std::sort(times.begin(), times.end());
    const double median = (times[(times.size() - 1) / 2] + times[times.size() / 2]) / 2;
    std::printf("%-24s median %7.1f ms   slowest %7.1f ms   (%lld runs)\n", what, median, times.last(),
        qlonglong(times.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 10;
    for (int entries : {999, 10}) {
        PhonebookRig rig;
        rig.drawIcons(12);
        const QByteArray old = oldPhonebook(entries);
        QList<double> oldTimes;
        QList<double> currentTimes;
        for (int run = 0; run < runs; ++run) {
            QFile file(rig.phonePath());
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(old) != old.size())
                return 1;
            file.close();
            oldTimes << openOnce(rig);
        }
        if (rig.phonebook.count() != entries || !rig.prompt.shown().isEmpty())
            return 1;
        QList<double> narrowTimes;
        QList<double> widenTimes;
        for (int run = 0; run < runs; ++run) {
            currentTimes << openOnce(rig);
            const QList<double> filtered = filterTimes(rig);
            narrowTimes << filtered.first();
            widenTimes << filtered.last();
        }
        std::printf("%d entries\n", entries);
        report("  old (icons named)", oldTimes);
        report("  current", currentTimes);
        report("  filter narrowed", narrowTimes);
        report("  filter cleared", widenTimes);
    }
    return 0;
}
