#pragma once

#include "model/ParameterTable.h"
#include "session/Transaction.h"

#include <functional>

// Reads every row of a parameter group, one request per row. The values go to onRow, not
// into the settings store: the thread that owns the store applies them.
class ParameterGroupRead
{
public:
    enum class EResult { Done, Cancelled, NoAnswer };
    // row: in the parameter table; ok: the answer passed every check and value holds it.
    using RowRead = std::function<void(int row, const QByteArray &value, bool ok)>;

    // irq: raised by whoever wants the worker for something else; checked before each row and
    // lowered when acted on. Without t.report the read goes untold.
    static EResult run(const TTransaction &t, ParameterGroup group, std::atomic<uint8_t> &irq, const RowRead &onRow);
    // Rows first .. last of the table, as a group of their own.
    static EResult readRows(const TTransaction &t, int first, int last, std::atomic<uint8_t> &irq, const RowRead &onRow);
};
