// The LAN datagram parsers, given one received datagram: what they take apart, built again, is
// the same datagram; an answer never carries a name a list should not show, and what this
// program sends for any computer name is one well-formed answer.
#include "DiscoveryMessage.h"
#include "FuzzCheck.h"

namespace {

void CheckProbe(const QByteArray &datagram) {
    const std::optional<QByteArray> nonce = ParseProbe(datagram);
    if (!nonce)
        return;
    FUZZ_CHECK(nonce->size() == DiscoveryNonceLength);
    FUZZ_CHECK(ProbeDatagram(*nonce) == datagram);
}

void CheckAnswer(const QByteArray &datagram) {
    const std::optional<TDiscoveryAnswer> answer = ParseAnswer(datagram);
    if (!answer)
        return;
    FUZZ_CHECK(datagram.size() <= MaxDiscoveryDatagram);
    FUZZ_CHECK(answer->Port >= 1);
    FUZZ_CHECK(ComputerName(answer->Name) == answer->Name);
    FUZZ_CHECK(answer->Name.toUtf8().size() <= MaxComputerNameBytes);
    FUZZ_CHECK(!answer->Name.contains(u'\n') && !answer->Name.contains(u'\r'));
    FUZZ_CHECK(AnswerDatagram(*answer) == datagram);
}

// The input as a host name: the answer built for it reads back with the name cleaned once.
void CheckName(const QByteArray &bytes) {
    const QString hostName = QString::fromUtf8(bytes);
    const QString name = ComputerName(hostName);
    FUZZ_CHECK(ComputerName(name) == name);
    const TDiscoveryAnswer answer{"0123456789abcdef", 6464, false, hostName};
    const QByteArray datagram = AnswerDatagram(answer);
    FUZZ_CHECK(datagram.size() <= MaxDiscoveryDatagram);
    const std::optional<TDiscoveryAnswer> parsed = ParseAnswer(datagram);
    FUZZ_CHECK(parsed && parsed->Name == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    CheckProbe(bytes);
    CheckAnswer(bytes);
    CheckName(bytes);
    return 0;
}
