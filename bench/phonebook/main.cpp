// Times the phonebook store on a full book: bench_phonebook [records]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include "sessions/PhonebookEntry.h"
#include "sessions/store/RecordStore.h"

namespace {

PhonebookEntry sample(int i)
{
    PhonebookEntry entry = PhonebookEntry::newEntry();
    entry.set(PhoneField::Name, QStringLiteral("Board %1").arg(i));
    entry.set(PhoneField::Phone, QStringLiteral("555-%1").arg(i, 4, 10, QLatin1Char('0')));
    entry.set(PhoneField::Wip, QStringLiteral("bbs%1.example.org").arg(i));
    return entry;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : TRecordStore::maxRecords;
    QTemporaryDir dir;
    TRecordStore store(
        dir.filePath(QStringLiteral("Phone.dat")), PhonebookEntry::fields(), PhonebookEntry::keyField());
    QTextStream out(stdout);
    QElapsedTimer timer;

    timer.start();
    for (int i = 0; i < records; ++i)
        store.add(sample(i));
    const qint64 addMs = timer.elapsed();

    timer.restart();
    const QStringList names = store.names();
    int phones = 0;
    for (const QString &name : names)
        phones += PhonebookEntry(store.read(name)).get(PhoneField::Phone).isEmpty() ? 0 : 1;
    const qint64 readMs = timer.elapsed();

    timer.restart();
    constexpr int updates = 100;
    for (int i = 0; i < updates; ++i) {
        PhonebookEntry entry = sample(i * records / updates);
        entry.set(PhoneField::Last, QStringLiteral("stamped %1").arg(i));
        store.update(entry.get(PhoneField::Name), entry);
    }
    const qint64 updateMs = timer.elapsed();

    out << "records " << records << ", file " << QFileInfo(store.filePath()).size() << " bytes\n"
        << "add: " << addMs << " ms total, " << double(addMs) / records << " ms each\n"
        << "list and read all: " << readMs << " ms (" << phones << " read)\n"
        << "update (rewrite on disk): " << double(updateMs) / updates << " ms each\n";
    return 0;
}
