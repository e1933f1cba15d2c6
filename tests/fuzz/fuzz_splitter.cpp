// The message splitter, fed the input cut into reads. The first bytes of the input choose the
// cuts; the rest is the stream, taken twice:
// - as bytes from anywhere: however they are cut, the same messages come out, made of every byte
//   of the stream in order, each of the kind its first letter says and ending where that kind
//   ends (a chat only when the line falls quiet);
// - as a script of the messages this program sends, with a peer's garbage between them: exactly
//   those messages come out, none made of the letters of two and none lost behind garbage.
#include "FuzzCheck.h"
#include "MessageSplitter.h"

#include <QByteArrayView>
#include <QList>
#include <algorithm>

namespace {

using TMessages = QList<QByteArray>;
using TReads = QList<QByteArray>;

// Read sizes used in turn, and after which of them the line falls quiet.
struct TCuts {
    QList<qsizetype> Sizes;
    QList<bool> QuietAfter;
};

// The first byte gives the number of cut bytes that follow (0 to 7). Each gives a read size from
// 1 to 64 in its low six bits and, in its top bit, a quiet time after that read.
TCuts TakeCuts(QByteArrayView &input) {
    TCuts cuts;
    if (!input.isEmpty()) {
        const auto count = static_cast<unsigned char>(input.front()) % 8;
        for (const char c : input.sliced(1).first(qMin<qsizetype>(count, input.size() - 1))) {
            const auto byte = static_cast<unsigned char>(c);
            cuts.Sizes.append((byte & 0x3F) + 1);
            cuts.QuietAfter.append((byte & 0x80) != 0);
        }
        input = input.sliced(cuts.Sizes.size() + 1);
    }
    if (cuts.Sizes.isEmpty()) {
        cuts.Sizes.append(input.size() + 1);
        cuts.QuietAfter.append(false);
    }
    return cuts;
}

bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}

// One stretch (the bytes between two quiet times) as the splitter gives it back.
struct TOutcome {
    TMessages Fed;     // handed on by the reads
    TMessages Flushed; // handed on when the line fell quiet
    TMessages All() const { return Fed + Flushed; }
};

TOutcome Split(TMessageSplitter &splitter, const TReads &reads) {
    TOutcome outcome;
    for (const QByteArray &read : reads)
        outcome.Fed += splitter.Feed(read);
    outcome.Flushed = splitter.Flush();
    FUZZ_CHECK(!splitter.HasPending());
    return outcome;
}

// What holds for any bytes: none lost, none added, and each message ends where its kind ends.
void CheckOutcome(const QByteArray &stretch, const TOutcome &outcome) {
    FUZZ_CHECK(outcome.All().join() == stretch);
    qsizetype at = 0;
    for (const QByteArray &message : outcome.All()) {
        FUZZ_CHECK(!message.isEmpty());
        at += message.size();
        const char kind = message.front();
        if (kind == 'l' || kind == 's') {
            FUZZ_CHECK(std::none_of(message.cbegin() + 1, message.cend(), IsLower));
            FUZZ_CHECK(at == stretch.size() || IsLower(stretch.at(at)));
        }
        // The letter that ends a consent is a selection's when a digit or sign follows it.
        if (message == "rYes" && at < stretch.size())
            FUZZ_CHECK(stretch.at(at) != '-' && (stretch.at(at) < '0' || stretch.at(at) > '9'));
    }
    // A chat runs until the line falls quiet, whatever its bytes look like.
    for (const QByteArray &message : outcome.Fed)
        FUZZ_CHECK(message.front() != 'm');
    for (qsizetype i = 0; i + 1 < outcome.Flushed.size(); ++i)
        FUZZ_CHECK(outcome.Flushed[i].front() != 'm');
}

void CheckBytes(QByteArrayView stream, const TCuts &cuts) {
    TMessageSplitter cut;
    TMessageSplitter whole;
    TReads reads;
    qsizetype done = 0;
    for (qsizetype i = 0; done < stream.size(); i = (i + 1) % cuts.Sizes.size()) {
        reads.append(stream.sliced(done, qMin(cuts.Sizes[i], stream.size() - done)).toByteArray());
        done += reads.last().size();
        if (cuts.QuietAfter[i] || done == stream.size()) {
            const QByteArray stretch = reads.join();
            const TOutcome outcome = Split(cut, reads);
            CheckOutcome(stretch, outcome);
            FUZZ_CHECK(outcome.All() == Split(whole, {stretch}).All());
            reads.clear();
        }
    }
}

// Reads a script of messages from the stream, one byte saying what comes next.
class TScript {
public:
    explicit TScript(QByteArrayView stream) : Stream(stream) {
        Stretches.emplaceBack();
        while (!Stream.isEmpty())
            Step();
    }

    QList<TMessages> Stretches; // the messages sent between two quiet times

private:
    unsigned char Take() {
        if (Stream.isEmpty())
            return 0;
        const auto byte = static_cast<unsigned char>(Stream.front());
        Stream = Stream.sliced(1);
        return byte;
    }

    void Step() {
        switch (Take() % 8) {
        case 0:
            return Append(MoveList());
        case 1:
            return Append("s" + QByteArray::number(Take() % 65 - 1));
        case 2:
            return Append("rQuest");
        case 3:
            return Append("rYes");
        case 4:
            return Append("rNo");
        case 5:
            return AppendGarbage();
        case 6:
            Append("m  - " + Bytes(Take() % 32)); // a chat line ends with the quiet after it
            [[fallthrough]];
        default:
            Stretches.emplaceBack();
            GarbageBefore = false;
        }
    }

    QByteArray MoveList() {
        QByteArrayList entries;
        for (int count = Take() % 4; count > 0; --count) {
            const unsigned char from = Take();
            const unsigned char to = Take();
            QByteArray entry = QByteArray::number(from % 64) + '>' + QByteArray::number(to % 64);
            if (to & 0x80)
                entry += QByteArray(",") + "QRKB"[from % 4];
            entries.append(entry);
        }
        return 'l' + entries.join('|');
    }

    QByteArray Bytes(qsizetype count) {
        QByteArray bytes;
        for (; count > 0 && !Stream.isEmpty(); --count)
            bytes.append(static_cast<char>(Take()));
        return bytes;
    }

    // Bytes no message starts with: a lower-case letter that is no kind letter, so the list or
    // selection before it ends, then anything but a kind letter. Garbage straight after garbage
    // would be one with it, and so would an empty list between two pieces of garbage: such
    // pieces are left out.
    void AppendGarbage() {
        static constexpr QByteArrayView Starts = "abcdefghijknopqtuvwxyz";
        QByteArray garbage(1, Starts.at(Take() % Starts.size()));
        for (char byte : Bytes(Take() % 8 + 1))
            garbage.append(QByteArrayView("lmrs").contains(byte) ? byte - ('a' - 'A') : byte);
        if (!GarbageBefore)
            Append(garbage);
        GarbageBefore = true;
    }

    void Append(const QByteArray &message) {
        Stretches.last().append(message);
        GarbageBefore = GarbageBefore && message == "l";
    }

    QByteArrayView Stream;
    bool GarbageBefore = false; // only garbage and empty lists since the last message
};

// The script says where the line falls quiet; the cuts give only the read sizes.
void CheckScript(QByteArrayView stream, const TCuts &cuts) {
    TMessageSplitter splitter;
    qsizetype turn = 0; // the cuts go on from stretch to stretch
    for (const TMessages &sent : TScript(stream).Stretches) {
        const QByteArray stretch = sent.join();
        TReads reads;
        for (qsizetype done = 0; done < stretch.size(); done += reads.last().size())
            reads.append(stretch.sliced(
                done, qMin(cuts.Sizes[turn++ % cuts.Sizes.size()], stretch.size() - done)));
        const TOutcome outcome = Split(splitter, reads);
        FUZZ_CHECK(outcome.All() == sent);
        if (!sent.isEmpty() && sent.last().front() == 'm')
            FUZZ_CHECK(!outcome.Flushed.isEmpty() && outcome.Flushed.last() == sent.last());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    QByteArrayView stream(data, static_cast<qsizetype>(size));
    const TCuts cuts = TakeCuts(stream);
    // Longer messages are dropped by design; fuzz inputs stay far below that.
    if (stream.size() > TMessageSplitter::MaxMessageBytes)
        return 0;
    CheckBytes(stream, cuts);
    CheckScript(stream, cuts);
    return 0;
}
