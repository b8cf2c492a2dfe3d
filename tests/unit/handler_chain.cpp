#include <QTest>

#include "comms/events/HandlerChain.h"
#include "comms/line/Comport.h"

#include <memory>
#include <stdexcept>

// The one route every event takes: stage order, wrapping and unwrapping in
// any order, consumption, one claim at a time, changes while dispatching.
class HandlerChainTest : public QObject {
    Q_OBJECT

    using Chain = HandlerChain<int>;

    // A handler that notes its name and consumes the events listed.
    static Chain::Handler noting(QStringList &seen, const QString &name, QList<int> consumes = {})
    {
        return [&seen, name, consumes](int event) {
            seen << name;
            return consumes.contains(event);
        };
    }

private slots:
    // Command-line waits first, then the window; two scripts wrap them, the
    // later innermost, and come off in either order leaving exactly the rest.
    void stagesAndWrapping_data()
    {
        QTest::addColumn<bool>("outerEndsFirst");
        QTest::newRow("inner script ends first") << false;
        QTest::newRow("outer script ends first") << true;
    }
    void stagesAndWrapping()
    {
        QFETCH(bool, outerEndsFirst);
        Chain chain;
        QStringList seen;
        chain.add(HandlerStage::Watchers, noting(seen, "watcher"));
        chain.add(HandlerStage::Window, noting(seen, "window"));
        chain.add(HandlerStage::Waits, noting(seen, "wait"));
        const auto outer = chain.add(HandlerStage::Script, noting(seen, "outer script"));
        const auto inner = chain.add(HandlerStage::Script, noting(seen, "inner script", {2}));

        QVERIFY(!chain.dispatch(1));
        QCOMPARE(seen, (QStringList{"wait", "inner script", "outer script", "window", "watcher"}));
        seen.clear();
        // Consumed by the inner script: the outer one and the window never
        // see it, the watcher does.
        QVERIFY(chain.dispatch(2));
        QCOMPARE(seen, (QStringList{"wait", "inner script", "watcher"}));

        QVERIFY(chain.remove(outerEndsFirst ? outer : inner));
        chain.add(HandlerStage::Window, noting(seen, "new window"));
        QVERIFY(chain.remove(outerEndsFirst ? inner : outer));
        QVERIFY(!chain.remove(inner));
        seen.clear();
        chain.dispatch(2);
        QCOMPARE(seen, (QStringList{"wait", "new window", "window", "watcher"}));
    }

    // The claim stage holds one handler; a second is refused until the
    // first is released. The port says why.
    void oneClaimAtATime()
    {
        Chain chain;
        QStringList seen;
        const auto first = chain.add(HandlerStage::Claim, noting(seen, "first", {1}));
        QVERIFY(first != 0);
        QCOMPARE(chain.add(HandlerStage::Claim, noting(seen, "second", {1})), HandlerToken(0));
        QVERIFY(!chain.attach(HandlerStage::Claim, noting(seen, "third")));
        chain.add(HandlerStage::Window, noting(seen, "window"));
        QVERIFY(chain.dispatch(1));
        QCOMPARE(seen, QStringList{"first"});
        chain.remove(first);
        QVERIFY(chain.add(HandlerStage::Claim, noting(seen, "second")) != 0);

        Comport port;
        const HandlerToken transfer = port.claimInput([](const QByteArray &) {});
        QVERIFY(transfer != 0);
        QCOMPARE(port.claimInput([](const QByteArray &) {}), HandlerToken(0));
        QCOMPARE(port.lastErrorCode(), ComportCode::InputClaimed);
        port.releaseInput(transfer);
        QVERIFY(port.claimInput([](const QByteArray &) {}) != 0);
    }

    // While an event is on its way a handler may remove one not yet run (it
    // is skipped), remove itself, or add one (it waits for the next event);
    // one that throws is reported and the event goes on.
    void changesWhileDispatching()
    {
        Chain chain;
        QStringList seen;
        QStringList failures;
        chain.setFailureReport([&failures](const QString &reason) { failures << reason; });
        HandlerToken later = 0;
        HandlerToken self = 0;
        self = chain.add(HandlerStage::Waits, [&](int) {
            seen << "remover";
            chain.remove(later);
            chain.remove(self);
            chain.add(HandlerStage::Watchers, noting(seen, "added"));
            return false;
        });
        chain.add(HandlerStage::Script, [](int) -> bool { throw std::runtime_error("script fault"); });
        later = chain.add(HandlerStage::Window, noting(seen, "removed"));
        chain.add(HandlerStage::Window, noting(seen, "window"));
        QVERIFY(!chain.dispatch(1));
        QCOMPARE(seen, (QStringList{"remover", "window"}));
        QCOMPARE(failures, QStringList{"script fault"});
        seen.clear();
        chain.dispatch(2);
        QCOMPARE(seen, (QStringList{"window", "added"}));
    }

    // A handler that destroys the chain's owner ends the dispatch safely,
    // and a registration that outlives its chain does nothing.
    void ownerDestroyedByAHandler()
    {
        auto chain = std::make_unique<Chain>();
        QStringList seen;
        chain->add(HandlerStage::Waits, [&](int) {
            chain.reset();
            return false;
        });
        HandlerRegistration late = chain->attach(HandlerStage::Window, noting(seen, "late"));
        QVERIFY(chain->dispatch(1));
        QVERIFY(!chain);
        QVERIFY(seen.isEmpty());
        late.reset();
    }
};

QTEST_GUILESS_MAIN(HandlerChainTest)
#include "handler_chain.moc"
