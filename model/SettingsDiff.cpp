#include "model/SettingsDiff.h"

#include "model/ModelLog.h"
#include "model/SettingFieldValue.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsFields.h"
#include "model/SettingsImage.h"

#include <QHash>
#include <QSet>

namespace {

using RecordKey = QPair<uint16_t, uint16_t>;

// The records of an image by id and sub-id, the later of a repeated one, and their order.
struct TImageRecords {
    QHash<RecordKey, QByteArray> values;
    QVector<RecordKey> order;
};

TImageRecords readRecords(const QByteArray &image)
{
    TImageRecords records;
    SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
    TSettingRecord r;
    while (reader.next(&r)) {
        const RecordKey key(r.id, r.subId);
        if (!records.values.contains(key))
            records.order.append(key);
        records.values.insert(key, r.value);
    }
    if (reader.truncated())
        qCDebug(lcModel) << "[SettingsDiff] WARNING image ends inside a record at" << reader.position();
    return records;
}

} // namespace

QVector<TSettingDifference> SettingsDiff::compare(const QByteArray &before, const QByteArray &after,
                                                  const TDeviceCapabilities &counts)
{
    const TImageRecords a = readRecords(before);
    const TImageRecords b = readRecords(after);
    QHash<RecordKey, int> sizes;
    for (const TSettingRecord &r : settings_layout(counts))
        sizes.insert(RecordKey(r.id, r.subId), r.size);
    const QString missing = tr("запись отсутствует");
    QVector<TSettingDifference> differences;

    // A record of the layout's size is read field by field; any other is compared whole below.
    auto known = [&sizes](const TImageRecords &records, const RecordKey &key) {
        const auto found = records.values.constFind(key);
        return found != records.values.cend() && found->size() == sizes.value(key) ? &*found : nullptr;
    };

    for (const TSettingFieldRef &ref : SettingsFields::instances(counts)) {
        const RecordKey key(ref.field->id, ref.subId());
        const QByteArray *recordA = known(a, key);
        const QByteArray *recordB = known(b, key);
        if (!recordA && !recordB)
            continue;
        TSettingDifference d{SettingsFields::key(ref), SettingsFields::displayName(ref), missing, missing};
        if (recordA && recordB) {
            const SettingFieldValue va(*ref.field, *recordA);
            const SettingFieldValue vb(*ref.field, *recordB);
            if (va.bytes() == vb.bytes())
                continue;
            d.before = va.display();
            d.after = vb.display();
            if (d.before == d.after) {
                d.before = tr("%1 (%2)").arg(d.before, SettingFieldValue::bytesDisplay(va.bytes()));
                d.after = tr("%1 (%2)").arg(d.after, SettingFieldValue::bytesDisplay(vb.bytes()));
            }
        } else if (recordA) {
            d.before = SettingFieldValue(*ref.field, *recordA).display();
        } else {
            d.after = SettingFieldValue(*ref.field, *recordB).display();
        }
        differences.append(d);
    }

    QSet<RecordKey> seen;
    for (const QVector<RecordKey> *order : {&a.order, &b.order}) {
        for (const RecordKey &key : *order) {
            if (seen.contains(key))
                continue;
            seen.insert(key);
            const auto valueA = a.values.constFind(key);
            const auto valueB = b.values.constFind(key);
            const bool inA = valueA != a.values.cend();
            const bool inB = valueB != b.values.cend();
            // The fields have shown a record of the layout's size, present or missing.
            if ((!inA || known(a, key)) && (!inB || known(b, key)))
                continue;
            if (inA && inB && *valueA == *valueB)
                continue;
            const QString id = QStringLiteral("%1/%2").arg(key.first).arg(key.second);
            differences.append({QStringLiteral("records[%1]").arg(id), tr("Запись %1").arg(id),
                                inA ? SettingFieldValue::bytesDisplay(*valueA) : missing,
                                inB ? SettingFieldValue::bytesDisplay(*valueB) : missing});
        }
    }
    return differences;
}
