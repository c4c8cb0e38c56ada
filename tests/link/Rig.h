#pragma once

#include <QMap>
#include <memory>

#include "FakePort.h"
#include "RecordingView.h"
#include "TestFrames.h"
#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/SerialLink.h"

// One exchange wired to a FakePort and a RecordingView, ticked by hand.
struct Rig {
    ParameterSet set;
    HeaderTexts header;
    MessageTexts texts;
    RecordingView view;
    FakePort* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    DeviceExchange exchange{set, header, link, texts, view};
    long now = 0;

    // A scripted unit on the other end: answers each request at once unless told otherwise.
    ImageBlock unitHeader = TestFrames::unitHeader();
    ImageBlock unitParameters{};
    QMap<int, int> answersLeft;  // command byte -> answers still given; absent = always

    explicit Rig(bool openPort = true) {
        setCurrentLanguage(LanguageId::English);
        buildMessageTexts(texts);
        view.exchange = &exchange;
        link.mapping().setExplicit(1, QStringLiteral("/dev/fake"));
        link.setPortNumber(1);
        if (openPort) link.openPort();
        unitParameters = toBlock(set.block(kParameterBlock));
    }

    static ImageBlock toBlock(std::span<const std::uint8_t, kBlockSize> s) {
        ImageBlock b{};
        std::copy(s.begin(), s.end(), b.begin());
        return b;
    }

    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            ++now;
            port->tick = now;
            view.tick = now;
            exchange.onTimerTick();
        }
    }

    bool mayAnswer(int command) {
        auto it = answersLeft.find(command);
        if (it == answersLeft.end()) return true;
        if (it.value() <= 0) return false;
        --it.value();
        return true;
    }

    // The unit answers every block request at once; programming stores the block it echoes.
    void answerAtOnce() {
        port->onWrite = [this](const FakePort::Write& w) {
            const std::uint8_t c = w.bytes[0];
            if (!mayAnswer(c)) return;
            switch (c) {
                case kProgramHeaderCommand:
                case kReadHeaderCommand:
                    port->feed(TestFrames::frame(c | 0x80, unitHeader));
                    break;
                case kProgramParametersCommand:
                    unitParameters = TestFrames::payloadOf(w.bytes);
                    port->feed(TestFrames::frame(0x81, unitParameters));
                    break;
                case kReadParametersCommand:
                    port->feed(TestFrames::frame(0xC1, unitParameters));
                    break;
                default:
                    break;
            }
        };
    }

    // Block frames written (polls left out), as (tick, command byte).
    QList<QPair<long, int>> blockSends() const {
        QList<QPair<long, int>> out;
        for (long i = 0; i < port->writeCount(); ++i)
            if (port->write(i).bytes[0] != kPollCommand) out.append({port->write(i).tick, port->write(i).bytes[0]});
        return out;
    }
    QList<long> pollTicks() const {
        QList<long> out;
        for (long i = 0; i < port->writeCount(); ++i)
            if (port->write(i).bytes[0] == kPollCommand) out.append(port->write(i).tick);
        return out;
    }
    const FakePort::Write* lastBlockWrite() const {
        for (long i = port->writeCount() - 1; i >= 0; --i)
            if (port->write(i).bytes[0] != kPollCommand) return &port->write(i);
        return nullptr;
    }
    ImageBlock block(int k) const { return toBlock(set.block(k)); }
};
