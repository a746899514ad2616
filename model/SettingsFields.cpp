#include "model/SettingsFields.h"

#include "model/ModelLog.h"
#include "model/SettingsImage.h"

#include <QSet>
#include <cstddef>
#include <iterator>

namespace {

using Tree = ESettingsTree;
using Repeat = EFieldRepeat;
using Kind = EFieldKind;

template <std::size_t N>
constexpr TComboEntries entries(const TComboEntry (&list)[N])
{
    return {list, uint8_t(N)};
}

constexpr TComboEntry SERVER_TYPES[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "Выключен")},
                                        {1, QT_TRANSLATE_NOOP("SettingsFields", "Прозрачный обмен")},
                                        {2, QT_TRANSLATE_NOOP("SettingsFields", "Пакетный обмен")}};
constexpr TComboEntry ENGINEERING_TYPES[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "Выключен")},
                                             {3, QT_TRANSLATE_NOOP("SettingsFields", "Включен")}};
constexpr TComboEntry CSD_INTERFACES[] = {{9, QT_TRANSLATE_NOOP("SettingsFields", "RS-232")},
                                          {10, QT_TRANSLATE_NOOP("SettingsFields", "RS-485")}};
constexpr TComboEntry BAUD_RATES[] = {
    {0, QT_TRANSLATE_NOOP("SettingsFields", "600")},   {1, QT_TRANSLATE_NOOP("SettingsFields", "1200")},
    {2, QT_TRANSLATE_NOOP("SettingsFields", "2400")},  {3, QT_TRANSLATE_NOOP("SettingsFields", "4800")},
    {4, QT_TRANSLATE_NOOP("SettingsFields", "9600")},  {5, QT_TRANSLATE_NOOP("SettingsFields", "19200")},
    {6, QT_TRANSLATE_NOOP("SettingsFields", "38400")}, {7, QT_TRANSLATE_NOOP("SettingsFields", "57600")},
    {8, QT_TRANSLATE_NOOP("SettingsFields", "115200")}};
// With parity the frame carries 7 or 8 data bits, without it always 8; byte 0 is the first
// entry of either list.
constexpr TComboEntry DATA_BITS_WITH_PARITY[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "7 бит")},
                                                 {1, QT_TRANSLATE_NOOP("SettingsFields", "8 бит")}};
constexpr TComboEntry DATA_BITS_WITHOUT_PARITY[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "8 бит")}};
constexpr TComboEntry PARITIES[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "Нет")},
                                    {1, QT_TRANSLATE_NOOP("SettingsFields", "Even")},
                                    {2, QT_TRANSLATE_NOOP("SettingsFields", "Odd")}};
constexpr TComboEntry STOP_BITS[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "0.5 бит")},
                                     {1, QT_TRANSLATE_NOOP("SettingsFields", "1 бит")},
                                     {2, QT_TRANSLATE_NOOP("SettingsFields", "1.5 бит")},
                                     {3, QT_TRANSLATE_NOOP("SettingsFields", "2 бит")}};
constexpr TComboEntry SERVER_MODES[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "Параллельный")},
                                        {1, QT_TRANSLATE_NOOP("SettingsFields", "Последовательный")}};
constexpr TComboEntry INPUT_TYPES[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "Цифровой")},
                                       {1, QT_TRANSLATE_NOOP("SettingsFields", "Частотный")},
                                       {2, QT_TRANSLATE_NOOP("SettingsFields", "Импульсный")},
                                       {3, QT_TRANSLATE_NOOP("SettingsFields", "Аналоговый")}};
constexpr TComboEntry ACTIVE_LEVELS[] = {{0, QT_TRANSLATE_NOOP("SettingsFields", "Низкий")},
                                         {1, QT_TRANSLATE_NOOP("SettingsFields", "Высокий")}};

constexpr const char *SECONDS = QT_TRANSLATE_NOOP("SettingsFields", "сек");
constexpr const char *MILLISECONDS = QT_TRANSLATE_NOOP("SettingsFields", "мс");

constexpr TFieldGroup RS232_SERVERS{Tree::Connections, Repeat::Servers, 0, 2,
                                    QT_TRANSLATE_NOOP("SettingsFields", "Трансляция в RS-232 (сервер %1)"), "servers"};
constexpr TFieldGroup RS485_SERVERS{Tree::Connections, Repeat::Servers, 3, 5,
                                    QT_TRANSLATE_NOOP("SettingsFields", "Трансляция в RS-485 (сервер %1)"), "servers"};
constexpr TFieldGroup ENGINEERING_SERVER{Tree::Connections, Repeat::Servers, 6, 6,
                                         QT_TRANSLATE_NOOP("SettingsFields", "Инженерный сервер (7)"), "servers"};
// The eighth server entry is the CSD connection.
constexpr TFieldGroup CSD{Tree::Connections, Repeat::None, 7, 7, QT_TRANSLATE_NOOP("SettingsFields", "CSD-соединение"),
                          "csd"};
constexpr TFieldGroup SIMS{Tree::Connections, Repeat::Sims, 0, MAX_SIMS - 1,
                           QT_TRANSLATE_NOOP("SettingsFields", "Настройки SIM-карты %1"), "sims"};
constexpr TFieldGroup ACCESS{Tree::Security, Repeat::None, 0, 0, "", "security"};
constexpr TFieldGroup PHONES{Tree::Security, Repeat::Phones, 0, MAX_PHONES - 1,
                             QT_TRANSLATE_NOOP("SettingsFields", "Авторизованные телефоны"), "phones"};
constexpr TFieldGroup RS232{Tree::Interfaces, Repeat::None, 0, 0, QT_TRANSLATE_NOOP("SettingsFields", "Интерфейс RS-232"),
                            "rs232"};
constexpr TFieldGroup RS485{Tree::Interfaces, Repeat::None, 0, 0, QT_TRANSLATE_NOOP("SettingsFields", "Интерфейс RS-485"),
                            "rs485"};
constexpr TFieldGroup INPUTS{Tree::Interfaces, Repeat::Inputs, 0, MAX_INPUTS - 1,
                             QT_TRANSLATE_NOOP("SettingsFields", "Мультифункциональный вход %1"), "inputs"};
constexpr TFieldGroup SENSORS{Tree::Interfaces, Repeat::Sensors, 0, MAX_TEMPERATURE_SENSORS - 1,
                              QT_TRANSLATE_NOOP("SettingsFields", "Внешние датчики температуры"), "sensors"};
constexpr TFieldGroup SENSOR_ENROLMENT{Tree::Interfaces, Repeat::None, 0, 0,
                                       QT_TRANSLATE_NOOP("SettingsFields", "Внешние датчики температуры"), ""};

constexpr TSettingField field(const TFieldGroup &group, uint16_t id, uint8_t offset, uint8_t size, Kind kind,
                              const char *label, const char *name)
{
    TSettingField f;
    f.group = &group;
    f.id = id;
    f.offset = offset;
    f.size = size;
    f.room = size;
    f.kind = kind;
    f.label = label;
    f.name = name;
    return f;
}

constexpr TSettingField combo(const TFieldGroup &group, uint16_t id, uint8_t offset, TComboEntries list,
                              const char *label, const char *name)
{
    TSettingField f = field(group, id, offset, 1, Kind::Combo, label, name);
    f.entries = list;
    return f;
}

constexpr TSettingField number(const TFieldGroup &group, uint16_t id, uint8_t offset, uint8_t width, uint32_t min,
                               uint32_t max, const char *unit, const char *label, const char *name)
{
    TSettingField f = field(group, id, offset, width, Kind::Number, label, name);
    f.min = min;
    f.max = max;
    f.unit = unit;
    return f;
}

constexpr TSettingField check(const TFieldGroup &group, uint16_t id, uint8_t offset, const char *label,
                              const char *name)
{
    TSettingField f = field(group, id, offset, 1, Kind::Check, label, name);
    f.max = 1;
    return f;
}

constexpr TSettingField text(const TFieldGroup &group, uint16_t id, uint8_t offset, uint8_t size, uint8_t room,
                             const char *label, const char *name)
{
    TSettingField f = field(group, id, offset, size, Kind::Text, label, name);
    f.room = room;
    return f;
}

constexpr TSettingField hidden(TSettingField f)
{
    f.shown = false;
    return f;
}

constexpr TSettingField atSubId(TSettingField f, int8_t subId)
{
    f.fixedSubId = subId;
    return f;
}

constexpr TSettingField whileZero(TSettingField f, int8_t selector, TComboEntries list)
{
    f.selector = selector;
    f.entriesWhileSelectorZero = list;
    return f;
}

constexpr uint8_t SERVER_ADDRESS_SHOWN = 31;
constexpr uint8_t SERVER_ADDRESS_ROOM = SERVER_TYPE_OFFSET;

constexpr TSettingField FIELDS[] = {
    combo(RS232_SERVERS, 3001, SERVER_TYPE_OFFSET, entries(SERVER_TYPES), QT_TRANSLATE_NOOP("SettingsFields", "Тип соединения"), "type"),
    text(RS232_SERVERS, 3001, 0, SERVER_ADDRESS_SHOWN, SERVER_ADDRESS_ROOM, QT_TRANSLATE_NOOP("SettingsFields", "Адрес сервера:"), "address"),
    number(RS232_SERVERS, 3006, 0, 2, 1, 65000, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Время удержания сессии, сек:"), "session_hold"),
    combo(RS485_SERVERS, 3001, SERVER_TYPE_OFFSET, entries(SERVER_TYPES), QT_TRANSLATE_NOOP("SettingsFields", "Тип соединения"), "type"),
    text(RS485_SERVERS, 3001, 0, SERVER_ADDRESS_SHOWN, SERVER_ADDRESS_ROOM, QT_TRANSLATE_NOOP("SettingsFields", "Адрес сервера:"), "address"),
    number(RS485_SERVERS, 3006, 0, 2, 1, 65000, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Время удержания сессии, сек:"), "session_hold"),
    combo(ENGINEERING_SERVER, 3001, SERVER_TYPE_OFFSET, entries(ENGINEERING_TYPES), QT_TRANSLATE_NOOP("SettingsFields", "Тип соединения"), "type"),
    text(ENGINEERING_SERVER, 3001, 0, SERVER_ADDRESS_SHOWN, SERVER_ADDRESS_ROOM, QT_TRANSLATE_NOOP("SettingsFields", "Адрес сервера:"), "address"),
    number(ENGINEERING_SERVER, 3006, 0, 2, 1, 65000, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Время удержания сессии, сек:"), "session_hold"),

    atSubId(combo(CSD, 3374, 0, entries(CSD_INTERFACES), QT_TRANSLATE_NOOP("SettingsFields", "Тип интерфейса"), "interface"), 0),
    combo(CSD, 3001, SERVER_TYPE_OFFSET, entries(SERVER_TYPES), QT_TRANSLATE_NOOP("SettingsFields", "Тип соединения"), "type"),
    number(CSD, 3006, 0, 2, 1, 65000, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Время удержания сессии, сек:"), "session_hold"),
    hidden(text(CSD, 3001, 0, SERVER_ADDRESS_ROOM, SERVER_ADDRESS_ROOM, QT_TRANSLATE_NOOP("SettingsFields", "Адрес сервера:"), "address")),

    text(SIMS, 3002, 0, 29, 30, QT_TRANSLATE_NOOP("SettingsFields", "APN:"), "apn"),
    text(SIMS, 3002, 30, 15, 16, QT_TRANSLATE_NOOP("SettingsFields", "Имя пользователя:"), "user"),
    text(SIMS, 3002, 46, 15, 16, QT_TRANSLATE_NOOP("SettingsFields", "Пароль:"), "password"),
    text(SIMS, 3003, 0, 7, BALANCE_CODE_SIZE, QT_TRANSLATE_NOOP("SettingsFields", "Код запроса баланса SIM:"), "balance_code"),

    check(ACCESS, 3252, 0, QT_TRANSLATE_NOOP("SettingsFields", "Включить доступ по пин-коду:"), "pin_enabled"),
    text(ACCESS, 3251, 0, 4, PIN_SIZE, QT_TRANSLATE_NOOP("SettingsFields", "Пин-код доступа к устройству:"), "pin"),
    text(PHONES, 3253, 0, 12, PHONE_SIZE, QT_TRANSLATE_NOOP("SettingsFields", "Номер телефона %1:"), ""),

    combo(RS232, 3372, IFACE_BAUD, entries(BAUD_RATES), QT_TRANSLATE_NOOP("SettingsFields", "Скорость обмена, бит/с:"), "baud_rate"),
    whileZero(combo(RS232, 3372, IFACE_DATA_BITS, entries(DATA_BITS_WITH_PARITY), QT_TRANSLATE_NOOP("SettingsFields", "Количество бит данных:"), "data_bits"),
              IFACE_PARITY, entries(DATA_BITS_WITHOUT_PARITY)),
    combo(RS232, 3372, IFACE_PARITY, entries(PARITIES), QT_TRANSLATE_NOOP("SettingsFields", "Контроль четности:"), "parity"),
    combo(RS232, 3372, IFACE_STOP_BITS, entries(STOP_BITS), QT_TRANSLATE_NOOP("SettingsFields", "Длительность стоп-бита:"), "stop_bits"),
    number(RS232, 3372, IFACE_ANSWER_WAIT, 2, 1, 65535, MILLISECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Время ожидания ответа, мс:"), "answer_wait"),
    combo(RS232, 3372, IFACE_SERVER_MODE, entries(SERVER_MODES), QT_TRANSLATE_NOOP("SettingsFields", "Режим работы с серверами:"), "server_mode"),
    number(RS232, 3372, IFACE_REQUEST_TIMEOUT, 2, 10, 3600, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Таймаут ожидания запросов с сервера, сек:"), "request_timeout"),
    number(RS232, 3372, IFACE_ATTEMPTS, 1, 1, 20, nullptr, QT_TRANSLATE_NOOP("SettingsFields", "Кол-во попыток соединения:"), "attempts"),
    number(RS232, 3372, IFACE_ATTEMPT_PAUSE, 2, 1, 60, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Пауза между попытками соединения с сервером, сек:"), "attempt_pause"),

    combo(RS485, 3373, IFACE_BAUD, entries(BAUD_RATES), QT_TRANSLATE_NOOP("SettingsFields", "Скорость обмена, бит/с:"), "baud_rate"),
    whileZero(combo(RS485, 3373, IFACE_DATA_BITS, entries(DATA_BITS_WITH_PARITY), QT_TRANSLATE_NOOP("SettingsFields", "Количество бит данных:"), "data_bits"),
              IFACE_PARITY, entries(DATA_BITS_WITHOUT_PARITY)),
    combo(RS485, 3373, IFACE_PARITY, entries(PARITIES), QT_TRANSLATE_NOOP("SettingsFields", "Контроль четности:"), "parity"),
    combo(RS485, 3373, IFACE_STOP_BITS, entries(STOP_BITS), QT_TRANSLATE_NOOP("SettingsFields", "Длительность стоп-бита:"), "stop_bits"),
    number(RS485, 3373, IFACE_ANSWER_WAIT, 2, 0, 65535, MILLISECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Время ожидания ответа, мс:"), "answer_wait"),
    combo(RS485, 3373, IFACE_SERVER_MODE, entries(SERVER_MODES), QT_TRANSLATE_NOOP("SettingsFields", "Режим работы с серверами:"), "server_mode"),
    number(RS485, 3373, IFACE_REQUEST_TIMEOUT, 2, 10, 3600, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Таймаут ожидания запросов с сервера, сек:"), "request_timeout"),
    number(RS485, 3373, IFACE_ATTEMPTS, 1, 1, 20, nullptr, QT_TRANSLATE_NOOP("SettingsFields", "Кол-во попыток соединения:"), "attempts"),
    number(RS485, 3373, IFACE_ATTEMPT_PAUSE, 2, 1, 60, SECONDS, QT_TRANSLATE_NOOP("SettingsFields", "Пауза между попытками соединения с сервером, сек:"), "attempt_pause"),

    combo(INPUTS, 3371, 0, entries(INPUT_TYPES), QT_TRANSLATE_NOOP("SettingsFields", "Тип входа:"), "type"),
    combo(INPUTS, 3371, 1, entries(ACTIVE_LEVELS), QT_TRANSLATE_NOOP("SettingsFields", "Активный уровень:"), "active_level"),
    field(SENSORS, 3356, 0, SENSOR_ID_SIZE, Kind::Hex, QT_TRANSLATE_NOOP("SettingsFields", "Датчик температуры %1"), ""),
    // Set by the terminal's add-sensor command while it runs.
    hidden(check(SENSOR_ENROLMENT, 3368, 0, QT_TRANSLATE_NOOP("SettingsFields", "Режим добавления датчиков"), "sensor_add_mode")),
};

bool matches(const TSettingField &f, uint16_t id, uint16_t subId)
{
    if (f.id != id)
        return false;
    if (f.fixedSubId >= 0)
        return subId == uint16_t(f.fixedSubId);
    return subId >= f.group->first && subId <= f.group->last;
}

QString withIndex(const char *source, int index, SettingsFields::ETextUse use)
{
    const QString text = SettingsFields::translated(source, use);
    return text.contains(QLatin1String("%1")) ? text.arg(index + 1) : text;
}

} // namespace

const TSettingField *SettingsFields::begin()
{
    return std::begin(FIELDS);
}

const TSettingField *SettingsFields::end()
{
    return std::end(FIELDS);
}

const TSettingField *SettingsFields::find(uint16_t id, uint16_t subId, int offset)
{
    for (const TSettingField &f : FIELDS) {
        if (f.offset == offset && matches(f, id, subId))
            return &f;
    }
    return nullptr;
}

const TSettingField &SettingsFields::at(uint16_t id, uint16_t subId, int offset)
{
    const TSettingField *f = find(id, subId, offset);
    if (!f)
        qCDebug(lcModel) << "[SettingsFields::at] ERROR no field at" << id << subId << offset;
    Q_ASSERT(f);
    return f ? *f : FIELDS[0];
}

QVector<TSettingFieldRef> SettingsFields::instances(const TDeviceCapabilities &counts)
{
    QSet<uint32_t> records;
    for (const TSettingRecord &r : settings_layout(counts))
        records.insert(uint32_t(r.id) << 16 | r.subId);

    QVector<TSettingFieldRef> refs;
    const TSettingField *block = std::begin(FIELDS);
    while (block != std::end(FIELDS)) {
        const TFieldGroup *group = block->group;
        const TSettingField *blockEnd = block;
        while (blockEnd != std::end(FIELDS) && blockEnd->group == group)
            ++blockEnd;
        for (int index = group->first; index <= group->last; ++index) {
            for (const TSettingField *f = block; f != blockEnd; ++f) {
                const TSettingFieldRef ref{f, uint8_t(index)};
                if (records.contains(uint32_t(f->id) << 16 | ref.subId()))
                    refs.append(ref);
            }
        }
        block = blockEnd;
    }
    return refs;
}

QString SettingsFields::groupTitle(const TSettingFieldRef &ref, ETextUse use)
{
    return withIndex(ref.field->group->title, ref.index, use);
}

QString SettingsFields::label(const TSettingFieldRef &ref, ETextUse use)
{
    return withIndex(ref.field->label, ref.index, use);
}

QString SettingsFields::displayName(const TSettingFieldRef &ref, ETextUse use)
{
    QString row = label(ref, use);
    if (row.endsWith(QLatin1Char(':')))
        row.chop(1);
    const QString title = groupTitle(ref, use);
    return title.isEmpty() ? row : title + QStringLiteral(" / ") + row;
}

QString SettingsFields::key(const TSettingFieldRef &ref)
{
    const TSettingField &f = *ref.field;
    QString key = QString::fromLatin1(f.group->collection);
    if (f.group->repeat != EFieldRepeat::None)
        key += QStringLiteral("[%1]").arg(ref.index);
    if (*f.name)
        key += (key.isEmpty() ? QString() : QStringLiteral(".")) + QString::fromLatin1(f.name);
    return key;
}

TComboEntries SettingsFields::comboEntries(const TSettingField &field, const uint8_t *record)
{
    if (field.selector >= 0 && record && record[field.selector] == 0)
        return field.entriesWhileSelectorZero;
    return field.entries;
}

QMap<int, QString> SettingsFields::comboItems(const TSettingField &field, const uint8_t *record, ETextUse use)
{
    QMap<int, QString> items;
    for (const TComboEntry &e : comboEntries(field, record))
        items.insert(e.value, translated(e.text, use));
    return items;
}

QString SettingsFields::translated(const char *source, ETextUse use)
{
    if (!source || !*source)
        return QString();
    return use == ETextUse::Stored ? QString::fromUtf8(source) : tr(source);
}
