#include "files/SettingsJson.h"

#include "files/FilesLog.h"
#include "model/SettingFieldValue.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsFields.h"
#include "model/SettingsImage.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

const QString FORMAT = QStringLiteral("trivox-settings");
const QString FORMAT_KEY = QStringLiteral("format");
const QString VERSION_KEY = QStringLiteral("version");
const QString NAME_KEY = QStringLiteral("name");
const QString TEXT_KEY = QStringLiteral("text");
const QString VALUE_KEY = QStringLiteral("value");
const QString HEX_KEY = QStringLiteral("hex");

using RecordKey = QPair<uint16_t, uint16_t>;

RecordKey keyOf(const TSettingFieldRef &ref)
{
    return RecordKey(ref.field->id, ref.subId());
}

QString path(const QString &key)
{
    return QStringLiteral("$.") + key;
}

QString upperHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// Exactly `bytes` bytes as hex digits of either case.
bool parseHex(const QJsonValue &value, int bytes, QByteArray *out)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9A-Fa-f]*$"));
    const QString text = value.toString();
    if (!value.isString() || text.size() != 2 * bytes || !digits.match(text).hasMatch())
        return false;
    *out = QByteArray::fromHex(text.toLatin1());
    return true;
}

class Exporter
{
    Q_DECLARE_TR_FUNCTIONS(SettingsJson)
public:
    // Why the image is not exactly a full configuration under the counts; empty when it is.
    static QString refusal(const QByteArray &image, const QVector<TSettingRecord> &layout,
                           const QVector<TSettingFieldRef> &refs, QHash<RecordKey, QByteArray> *values)
    {
        if (image.size() < SETTINGS_IMAGE_RECORDS_OFFSET)
            return tr("%1 байт: короче кода и заголовка файла настроек").arg(image.size());
        if (image.mid(SETTINGS_IMAGE_CODE_SIZE, 8) != "SETTINGS"
            || image.mid(SETTINGS_IMAGE_CODE_SIZE + 8, 8) != QByteArray(8, '\0'))
            return tr("заголовок не «SETTINGS» и восемь нулей");

        QStringList problems;
        SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
        TSettingRecord r;
        int index = 0;
        int end = SETTINGS_IMAGE_RECORDS_OFFSET;
        // Past the first misplaced record the rest says nothing certain.
        while (problems.isEmpty() && reader.next(&r)) {
            end = r.offset + SettingRecordReader::HEADER_SIZE + r.size;
            if (index >= layout.size()) {
                problems << tr("лишняя запись %1 по смещению %2").arg(recordName(r.id, r.subId, refs)).arg(r.offset);
                break;
            }
            const TSettingRecord &e = layout[index++];
            if (r.id != e.id || r.subId != e.subId || r.size != e.size)
                problems << tr("по смещению %1 ожидается запись %2 из %3 байт, а там %4 из %5 байт")
                                .arg(r.offset)
                                .arg(recordName(e.id, e.subId, refs))
                                .arg(e.size)
                                .arg(recordName(r.id, r.subId, refs))
                                .arg(r.size);
            values->insert(RecordKey(r.id, r.subId), r.value);
        }
        const bool misplaced = !problems.isEmpty();
        if (reader.truncated())
            problems << tr("файл обрывается внутри записи по смещению %1").arg(end);
        if (!misplaced && index < layout.size()) {
            QStringList missing;
            for (int i = index; i < layout.size(); ++i)
                missing << recordName(layout[i].id, layout[i].subId, refs);
            problems << tr("нет настроек %1").arg(missing.join(QStringLiteral(", ")));
        }
        if (!verify_settings_image(image))
            problems << tr("код подлинности не совпадает с содержимым");
        return problems.join(QStringLiteral("; "));
    }

    // The name and the combo's text are for people reading the file, but are written in the
    // source language: the same settings make the same file whatever the interface language.
    static QJsonObject leaf(const TSettingFieldRef &ref, const QByteArray &record)
    {
        const TSettingField &f = *ref.field;
        const SettingFieldValue value(f, record);
        QJsonObject leaf{{NAME_KEY, SettingsFields::displayName(ref, SettingsFields::ETextUse::Stored)}};
        if (!value.isNatural()) {
            leaf.insert(VALUE_KEY, QJsonObject{{HEX_KEY, upperHex(value.bytes())}});
            return leaf;
        }
        switch (f.kind) {
        case EFieldKind::Combo:
            leaf.insert(VALUE_KEY, int(value.number()));
            leaf.insert(TEXT_KEY, SettingsFields::comboItems(f, reinterpret_cast<const uint8_t *>(record.constData()),
                                                             SettingsFields::ETextUse::Stored)
                                      .value(int(value.number())));
            break;
        case EFieldKind::Number:
            leaf.insert(VALUE_KEY, double(value.number()));
            break;
        case EFieldKind::Check:
            leaf.insert(VALUE_KEY, value.number() != 0);
            break;
        case EFieldKind::Text:
        case EFieldKind::Hex:
            leaf.insert(VALUE_KEY, value.text());
            break;
        }
        return leaf;
    }

private:
    // "3002/1 (Настройки SIM-карты 2)".
    static QString recordName(uint16_t id, uint16_t subId, const QVector<TSettingFieldRef> &refs)
    {
        const QString number = QStringLiteral("%1/%2").arg(id).arg(subId);
        for (const TSettingFieldRef &ref : refs) {
            if (keyOf(ref) == RecordKey(id, subId)) {
                const QString title = SettingsFields::groupTitle(ref);
                return QStringLiteral("%1 (%2)").arg(number, title.isEmpty() ? SettingsFields::displayName(ref) : title);
            }
        }
        return number;
    }
};

// Reads the document into records laid out under the counts, listing every problem.
class Importer
{
    Q_DECLARE_TR_FUNCTIONS(SettingsJson)
public:
    Importer(const QVector<TSettingRecord> &layout, const QVector<TSettingFieldRef> &refs) : m_refs(refs)
    {
        for (const TSettingRecord &r : layout)
            m_records.insert(RecordKey(r.id, r.subId), r.value);
        for (const TSettingFieldRef &ref : refs) {
            const TSettingField &f = *ref.field;
            if (!*f.group->collection) {
                m_topLeaves << QString::fromLatin1(f.name);
                continue;
            }
            TCollection &c = m_collections[QString::fromLatin1(f.group->collection)];
            c.repeated = f.group->repeat != EFieldRepeat::None;
            c.count = qMax(c.count, ref.index + 1);
            if (*f.name && !c.names.contains(QLatin1String(f.name)))
                c.names << QString::fromLatin1(f.name);
        }
    }

    QStringList problems() const { return m_problems; }

    void read(const QJsonObject &root)
    {
        if (root.value(FORMAT_KEY).toString() != FORMAT)
            problem(path(FORMAT_KEY), tr("ожидается «%1»").arg(FORMAT));
        if (root.value(VERSION_KEY) != QJsonValue(SettingsJson::VERSION))
            problem(path(VERSION_KEY), tr("ожидается версия %1").arg(SettingsJson::VERSION));
        for (const QString &key : root.keys()) {
            if (key != FORMAT_KEY && key != VERSION_KEY && !m_collections.contains(key) && !m_topLeaves.contains(key))
                problem(path(key), tr("неизвестный ключ"));
        }
        for (auto it = m_collections.cbegin(); it != m_collections.cend(); ++it)
            checkCollection(root, it.key(), it.value());
        for (const TSettingFieldRef &ref : m_refs)
            readField(root, ref);
        for (const TPendingCombo &p : m_combos)
            checkCombo(p);
    }

    QVector<TSettingRecord> records(QVector<TSettingRecord> layout) const
    {
        for (TSettingRecord &r : layout)
            r.value = m_records.value(RecordKey(r.id, r.subId));
        return layout;
    }

private:
    struct TCollection {
        bool repeated = false;
        int count = 0;
        QStringList names; // empty: the elements are leaves
    };
    struct TPendingCombo {
        TSettingFieldRef ref;
        QString path;
        double value;
    };

    void problem(const QString &where, const QString &what) { m_problems << where + QStringLiteral(": ") + what; }

    static QString typeName(const QJsonValue &v)
    {
        switch (v.type()) {
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Bool:
            return tr("логическое значение");
        case QJsonValue::Double:
            return tr("число");
        case QJsonValue::String:
            return tr("строка");
        case QJsonValue::Array:
            return tr("массив");
        case QJsonValue::Object:
            return tr("объект");
        case QJsonValue::Undefined:
            break;
        }
        return tr("ничего");
    }

    void wrongType(const QString &where, const QString &expected, const QJsonValue &got)
    {
        problem(where, tr("ожидается %1, а не %2").arg(expected, typeName(got)));
    }

    void checkCollection(const QJsonObject &root, const QString &name, const TCollection &c)
    {
        const QString where = path(name);
        const QJsonValue value = root.value(name);
        if (value.isUndefined()) {
            problem(where, tr("отсутствует"));
            m_broken << where;
            return;
        }
        if (c.repeated != value.isArray() || (!c.repeated && !value.isObject())) {
            wrongType(where, c.repeated ? tr("массив") : tr("объект"), value);
            m_broken << where;
            return;
        }
        if (!c.repeated) {
            checkKeys(where, value.toObject(), c.names);
            return;
        }
        const QJsonArray elements = value.toArray();
        if (elements.size() != c.count) {
            problem(where, tr("элементов %1, ожидается %2").arg(elements.size()).arg(c.count));
            m_broken << where;
            return;
        }
        if (c.names.isEmpty())
            return;
        for (int i = 0; i < elements.size(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
            if (!elements[i].isObject()) {
                wrongType(at, tr("объект"), elements[i]);
                m_broken << at;
            } else {
                checkKeys(at, elements[i].toObject(), c.names);
            }
        }
    }

    void checkKeys(const QString &where, const QJsonObject &object, const QStringList &known)
    {
        for (const QString &key : object.keys()) {
            if (!known.contains(key))
                problem(where + QLatin1Char('.') + key, tr("неизвестный ключ"));
        }
    }

    // The leaf of a field; false when its container has been reported already.
    bool leafOf(const QJsonObject &root, const TSettingFieldRef &ref, QJsonValue *leaf) const
    {
        const TSettingField &f = *ref.field;
        const QString collection = QString::fromLatin1(f.group->collection);
        const QString name = QString::fromLatin1(f.name);
        if (collection.isEmpty()) {
            *leaf = root.value(name);
            return true;
        }
        QString container = path(collection);
        QJsonValue value = root.value(collection);
        if (f.group->repeat != EFieldRepeat::None && !m_broken.contains(container)) {
            container += QStringLiteral("[%1]").arg(ref.index);
            value = value.toArray().at(ref.index);
        }
        if (m_broken.contains(container))
            return false;
        *leaf = name.isEmpty() ? value : value.toObject().value(name);
        return true;
    }

    void readField(const QJsonObject &root, const TSettingFieldRef &ref);
    void readValue(const TSettingFieldRef &ref, const QString &where, const QJsonValue &value);
    void store(const TSettingFieldRef &ref, const QByteArray &bytes)
    {
        m_records[keyOf(ref)].replace(ref.field->offset, bytes.size(), bytes);
    }
    void checkCombo(const TPendingCombo &p);

    const QVector<TSettingFieldRef> &m_refs;
    QHash<RecordKey, QByteArray> m_records;
    QMap<QString, TCollection> m_collections;
    QStringList m_topLeaves;
    QStringList m_broken;
    QVector<TPendingCombo> m_combos;
    QStringList m_problems;
};

void Importer::readField(const QJsonObject &root, const TSettingFieldRef &ref)
{
    const QString where = path(SettingsFields::key(ref));
    QJsonValue leaf;
    if (!leafOf(root, ref, &leaf))
        return;
    if (leaf.isUndefined()) {
        problem(where, tr("отсутствует"));
        return;
    }
    if (!leaf.isObject()) {
        wrongType(where, tr("объект"), leaf);
        return;
    }
    const QJsonObject object = leaf.toObject();
    checkKeys(where, object, {NAME_KEY, TEXT_KEY, VALUE_KEY});
    if (!object.contains(VALUE_KEY)) {
        problem(where + QLatin1Char('.') + VALUE_KEY, tr("отсутствует"));
        return;
    }
    readValue(ref, where, object.value(VALUE_KEY));
}

void Importer::readValue(const TSettingFieldRef &ref, const QString &where, const QJsonValue &value)
{
    const TSettingField &f = *ref.field;
    QByteArray bytes;
    if (value.isObject()) {
        const QJsonObject exact = value.toObject();
        if (exact.keys() != QStringList{HEX_KEY} || !parseHex(exact.value(HEX_KEY), f.room, &bytes))
            problem(where, tr("ожидается {\"hex\": \"...\"} из %1 шестнадцатеричных цифр").arg(2 * f.room));
        else
            store(ref, bytes);
        return;
    }

    switch (f.kind) {
    case EFieldKind::Combo:
    case EFieldKind::Number: {
        if (!value.isDouble()) {
            wrongType(where, tr("число"), value);
            return;
        }
        const double number = value.toDouble();
        if (number < 0 || number != std::floor(number)) {
            problem(where, tr("%1 не целое неотрицательное число").arg(number));
            return;
        }
        if (f.kind == EFieldKind::Combo) {
            // Some entries follow another byte of the record: checked once all are read.
            m_combos.append({ref, where, number});
            if (number <= 0xFF)
                store(ref, QByteArray(1, char(number)));
            return;
        }
        if (number < f.min || number > f.max) {
            problem(where, tr("%1 вне диапазона %2…%3").arg(number).arg(f.min).arg(f.max));
            return;
        }
        bytes = QByteArray(4, '\0');
        qToLittleEndian<quint32>(quint32(number), bytes.data());
        store(ref, bytes.left(f.size));
        return;
    }
    case EFieldKind::Check:
        if (!value.isBool())
            wrongType(where, tr("true или false"), value);
        else
            store(ref, QByteArray(1, value.toBool() ? '\1' : '\0'));
        return;
    case EFieldKind::Text: {
        if (!value.isString()) {
            wrongType(where, tr("строка"), value);
            return;
        }
        const QString text = value.toString();
        if (!SettingFieldValue::encodeText(text, &bytes)) {
            for (const uint c : text.toUcs4()) {
                QByteArray one;
                if (!SettingFieldValue::encodeText(QString::fromUcs4(&c, 1), &one)) {
                    problem(where, tr("символ U+%1 не записать в Windows-1251").arg(QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
                    return;
                }
            }
            problem(where, tr("текст не записать в Windows-1251"));
            return;
        }
        if (bytes.size() > f.size) {
            problem(where, tr("%1 байт, а поле вмещает %2").arg(bytes.size()).arg(f.size));
            return;
        }
        store(ref, bytes + QByteArray(f.room - bytes.size(), '\0'));
        return;
    }
    case EFieldKind::Hex:
        if (!parseHex(value, f.size, &bytes)) {
            problem(where, tr("ожидается строка из %1 шестнадцатеричных цифр").arg(2 * f.size));
            return;
        }
        std::reverse(bytes.begin(), bytes.end());
        store(ref, bytes);
        return;
    }
}

void Importer::checkCombo(const TPendingCombo &p)
{
    const QByteArray &record = m_records[keyOf(p.ref)];
    const TComboEntries entries =
        SettingsFields::comboEntries(*p.ref.field, reinterpret_cast<const uint8_t *>(record.constData()));
    QStringList values;
    for (const TComboEntry &e : entries) {
        if (e.value == p.value)
            return;
        values << QString::number(e.value);
    }
    problem(p.path, tr("%1 не из значений %2").arg(p.value).arg(values.join(QStringLiteral(", "))));
}

} // namespace

QByteArray SettingsJson::exportImage(const QByteArray &image, QString *error, const TDeviceCapabilities &counts)
{
    const QVector<TSettingRecord> layout = settings_layout(counts);
    const QVector<TSettingFieldRef> refs = SettingsFields::instances(counts);
    QHash<RecordKey, QByteArray> values;
    const QString refusal = Exporter::refusal(image, layout, refs, &values);
    if (error)
        *error = refusal;
    if (!refusal.isEmpty()) {
        qCDebug(lcFiles) << "[SettingsJson::exportImage] ERROR image refused:" << refusal;
        return QByteArray();
    }

    QJsonObject root{{FORMAT_KEY, FORMAT}, {VERSION_KEY, VERSION}};
    QMap<QString, QMap<int, QJsonValue>> arrays;
    QMap<QString, QJsonObject> objects;
    for (const TSettingFieldRef &ref : refs) {
        const TSettingField &f = *ref.field;
        const QJsonObject leaf = Exporter::leaf(ref, values.value(keyOf(ref)));
        const QString collection = QString::fromLatin1(f.group->collection);
        const QString name = QString::fromLatin1(f.name);
        if (collection.isEmpty()) {
            root.insert(name, leaf);
        } else if (f.group->repeat == EFieldRepeat::None) {
            objects[collection].insert(name, leaf);
        } else if (name.isEmpty()) {
            arrays[collection].insert(ref.index, leaf);
        } else {
            QJsonValue &element = arrays[collection][ref.index];
            QJsonObject object = element.toObject();
            object.insert(name, leaf);
            element = object;
        }
    }
    for (auto it = objects.cbegin(); it != objects.cend(); ++it)
        root.insert(it.key(), it.value());
    for (auto it = arrays.cbegin(); it != arrays.cend(); ++it) {
        QJsonArray array;
        for (const QJsonValue &element : it.value())
            array.append(element);
        root.insert(it.key(), array);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray SettingsJson::importImage(const QByteArray &json, QStringList *errors, const TDeviceCapabilities &counts)
{
    const QVector<TSettingRecord> layout = settings_layout(counts);
    const QVector<TSettingFieldRef> refs = SettingsFields::instances(counts);
    Importer importer(layout, refs);
    QStringList problems;
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        problems << tr("$: не JSON: %1 (смещение %2)").arg(parse.errorString()).arg(parse.offset);
    } else if (!document.isObject()) {
        problems << tr("$: ожидается объект");
    } else {
        importer.read(document.object());
        problems = importer.problems();
    }
    if (errors)
        *errors = problems;
    if (!problems.isEmpty()) {
        qCDebug(lcFiles) << "[SettingsJson::importImage] ERROR" << problems.size() << "problems, first:" << problems.first();
        return QByteArray();
    }
    return build_settings_image(importer.records(layout));
}
