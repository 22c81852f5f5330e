// The consistency checks that the careless user of tst_random_use.cpp runs after every step.
#include "random_use.h"

void TestRandomUse::check()
{
    for (const auto &[mirror, master] : MirrorPairs) {
        if (get<TTwoJumper>(mirror)->Closed() != get<TTwoJumper>(master)->Closed())
            return fail(
                QStringLiteral("%1 differs from %2").arg(QLatin1String(mirror), QLatin1String(master)));
    }
    checkAddress();
    checkProtocol();
    checkPortPanel();
    checkWrites();
}

void TestRandomUse::checkAddress()
{
    auto *edit = get<QLineEdit>("BaseEdit");
    const QString text = edit->text();
    const bool valid = parseHexAddress(text).has_value();
    if (valid)
        lastValidText = text;

    const QColor normal = QApplication::palette(edit).color(QPalette::Base);
    if ((edit->palette().color(QPalette::Base) == normal) != valid)
        return fail(QStringLiteral("the colour of the address field does not tell %1 text \"%2\"")
                        .arg(valid ? QStringLiteral("valid") : QStringLiteral("invalid"), text));

    // The glyphs, mirrors and feedback of the last valid text: its digits, without leading zeros.
    const quint32 settable = *parseHexAddress(lastValidText) & 0x3F0;
    quint32 bit = 0x010;
    for (const char *name : AddressMasters) {
        if (get<TTwoJumper>(name)->Closed() != ((settable & bit) == 0))
            return fail(QStringLiteral("%1 does not show the address \"%2\"")
                            .arg(QLatin1String(name), lastValidText));
        bit <<= 1;
    }
    QString digits = lastValidText.toUpper();
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0'))) // zeros only: "0"
        digits.remove(0, 1);
    const QString expected = QString::number(settable, 16).toUpper();
    const QString feedback = digits == expected ? QString() : QStringLiteral("Actual: ") + expected;
    if (get<QLabel>("BaseLabelFeedback")->text() != feedback)
        return fail(QStringLiteral("feedback \"%1\" for the address \"%2\"")
                        .arg(get<QLabel>("BaseLabelFeedback")->text(), lastValidText));
}

void TestRandomUse::checkProtocol()
{
    const int mode = get<QComboBox>("ModeCombo")->currentIndex();
    if (mode < 0 || mode > 2)
        return fail(QStringLiteral("protocol list at %1").arg(mode));
    const bool rs232 = mode == 0, rs485 = mode == 1, rs422 = mode == 2;
    const struct
    {
        const char *glyph;
        bool closed;
    } table[] = {
        {"RS232JumperA", rs232}, {"RS4xxJumperA", !rs232}, {"RS485JumperA", rs485}, {"RS422JumperA", rs422}};
    for (const auto &row : table) {
        if (get<TTwoJumper>(row.glyph)->Closed() != row.closed)
            return fail(
                QStringLiteral("%1 does not show protocol %2").arg(QLatin1String(row.glyph)).arg(mode));
    }

    auto *autoRts = get<QCheckBox>("AutoRTSCheck");
    auto *r8 = get<TTwoJumper>("AutoRTSJumperA");
    if (autoRts->isHidden() == rs485 || r8->isEnabled() != rs485 || (!rs485 && autoRts->isChecked()))
        return fail(QStringLiteral("Auto RTS does not fit protocol %1").arg(mode));
    if (r8->Closed() != autoRts->isChecked())
        return fail(QStringLiteral("R8 differs from \"Auto RTS\""));

    auto *load = get<QComboBox>("LoadCombo");
    const int index = load->currentIndex();
    if (load->isHidden() != rs232 || (rs485 && load->count() != 2) || (rs422 && load->count() != 4) ||
        index < 0 || index >= load->count())
        return fail(QStringLiteral("termination list (%1 entries, at %2) does not fit protocol %3")
                        .arg(load->count())
                        .arg(index)
                        .arg(mode));
    if (get<TTwoJumper>("TLJumperA")->Closed() != ((index & 1) != 0) ||
        get<TTwoJumper>("RLJumperA")->Closed() != ((index & 2) != 0))
        return fail(QStringLiteral("TL or RL does not show termination %1").arg(index));
    for (const char *name : {"TLJumperA", "RLJumperA", "TLLabelB", "RLLabelB"}) {
        if (get<QWidget>(name)->isEnabled() == rs232)
            return fail(QStringLiteral("%1 enabled in protocol %2").arg(QLatin1String(name)).arg(mode));
    }

    if (get<TTwoJumper>("ClockJumperA")->Closed() != (get<QComboBox>("ClockCombo")->currentIndex() != 0))
        return fail(QStringLiteral("X8 does not show the clock list"));
    if (get<TTwoJumper>("DFJumperA")->Closed() != (get<QComboBox>("DFCombo")->currentIndex() != 0))
        return fail(QStringLiteral("DF does not show the port-disable list"));
}

void TestRandomUse::checkPortPanel()
{
    if (get<QPushButton>("ConfigButton")->isHidden() == get<QPushButton>("UseButton")->isHidden())
        return fail(QStringLiteral("the port-resources panel is in both states or in none"));
    for (char port = 'A'; port <= 'H'; ++port) {
        const QByteArray editName = QByteArray("BaseEdit") + port;
        const QByteArray spinnerName = QByteArray("BaseUD") + port;
        const QString text = get<QLineEdit>(editName.constData())->text();
        const int position = get<TUpDown>(spinnerName.constData())->Position();
        if (configured && (position < 256 || position > 1016 || position % 8 != 0))
            return fail(QStringLiteral("spinner %1 at %2").arg(port).arg(position));
        if (text.isEmpty() || text == QLatin1String("***"))
            continue;
        // The edit shows what its spinner holds, in three upper-case digits.
        if (text != QStringLiteral("%1").arg(position, 3, 16, QLatin1Char('0')).toUpper())
            return fail(QStringLiteral("port edit %1 shows \"%2\" with its spinner at %3")
                            .arg(port)
                            .arg(text)
                            .arg(position));
    }
}

void TestRandomUse::checkWrites()
{
    if (FakePorts::strayWrites() != 0) {
        QStringList last;
        const QList<PortCall> calls = FakePorts::writes();
        for (qsizetype i = qMax<qsizetype>(0, calls.size() - 4); i < calls.size(); ++i)
            last << QStringLiteral("(0x%1, %2)").arg(calls.at(i).port, 0, 16).arg(calls.at(i).value);
        return fail(QStringLiteral("%1 writes missed the card at 0x%2: %3")
                        .arg(FakePorts::strayWrites())
                        .arg(expectedBase, 0, 16)
                        .arg(last.join(QStringLiteral(", "))));
    }
    const int count = FakePorts::callCount();
    if (count == checkedCalls)
        return;
    const QList<PortCall> calls = FakePorts::calls();
    for (int i = checkedCalls; i < count; ++i) {
        const PortCall &call = calls.at(i);
        if (!call.write)
            return fail(QStringLiteral("port 0x%1 was read").arg(call.port, 0, 16));
        if (nextRegister > 10)
            return fail(QStringLiteral("a write after the ten registers, before the sequence ended"));
        if (nextRegister > 1 || !expectIndex) {
            if (call.ns - lastWriteNs < SettleNs)
                return fail(
                    QStringLiteral("only %1 us between two writes").arg((call.ns - lastWriteNs) / 1000));
        }
        lastWriteNs = call.ns;
        if (expectIndex) {
            if (call.port != quint32(expectedBase) + 1 || call.value != quint32(nextRegister))
                return fail(QStringLiteral("expected index %1 at 0x%2, got (0x%3, %4)")
                                .arg(nextRegister)
                                .arg(expectedBase + 1, 0, 16)
                                .arg(call.port, 0, 16)
                                .arg(call.value));
        } else {
            if (call.port != quint32(expectedBase) + 2)
                return fail(QStringLiteral("expected the data of register %1 at 0x%2, got a write to 0x%3")
                                .arg(nextRegister)
                                .arg(expectedBase + 2, 0, 16)
                                .arg(call.port, 0, 16));
            const quint32 value = call.value;
            const bool fits = nextRegister <= 8 ? value >= 0x20 && value <= 0x7F
                              : nextRegister == 9
                                  ? QList<quint32>{2, 3, 4, 5, 6, 7, 10, 11, 12, 15}.contains(value)
                                  : value <= 0xFF;
            if (!fits)
                return fail(QStringLiteral("register %1 written with %2").arg(nextRegister).arg(value));
            sequenceValues.append(int(value));
            ++nextRegister;
        }
        expectIndex = !expectIndex;
    }
    checkedCalls = count;
}

void TestRandomUse::sequenceFinished()
{
    checkWrites();
    if (nextRegister == 11) {
        ++sequencesWritten;
    } else if (nextRegister != 1 || !expectIndex) {
        return fail(QStringLiteral("a write sequence ended after %1 registers").arg(nextRegister - 1));
    }
    nextRegister = 1;
    expectIndex = true;
    sequenceValues.clear();
}
