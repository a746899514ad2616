#pragma once

#include "model/SettingsStorage.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>

// Every field of the settings records: what the three settings trees edit, where in which
// record, how, and under which names. The trees take their labels, entries and ranges from
// here; the comparison and the JSON form of an image name and check values by it. Together
// the fields cover every byte of every record of a full configuration exactly once.

enum class ESettingsTree : uint8_t { Connections, Security, Interfaces };

// The count that repeats a group: its sub-ids are indexes 0, 1, ... The server entries are
// fixed records (3001, 3006 at sub-ids 0..7) whatever the count; a tree shows as many as
// the server count.
enum class EFieldRepeat : uint8_t { None, Servers, Sims, Phones, Inputs, Sensors };

enum class EFieldKind : uint8_t {
    Combo,  // one byte, shown as the text of its entry
    Number, // unsigned, little-endian, `size` bytes, edited within min..max
    Check,  // one byte, 0 or 1
    Text,   // Windows-1251, at most `size` bytes, zero-padded up to `room`
    Hex,    // raw bytes shown as hex digits, last byte first, upper case
};

struct TComboEntry {
    uint8_t value;
    const char *text; // translatable source in context "SettingsFields"
};

struct TComboEntries {
    const TComboEntry *data = nullptr;
    uint8_t count = 0;

    const TComboEntry *begin() const { return data; }
    const TComboEntry *end() const { return data + count; }
};

// Fields that a tree shows under one title, and their place in the JSON form.
struct TFieldGroup {
    ESettingsTree tree;
    EFieldRepeat repeat;
    uint8_t first; // indexes first..last
    uint8_t last;
    const char *title;      // translatable; "%1" is the index + 1; the trees set it in bold
    const char *collection; // JSON: an array by index when repeated, else an object; empty: top level
};

struct TSettingField {
    const TFieldGroup *group = nullptr;
    uint16_t id = 0;
    int8_t fixedSubId = -1; // the record's sub-id when it is not the group's index
    uint8_t offset = 0;     // in the record
    uint8_t size = 0;       // number width, text bytes an editor takes, hex bytes
    uint8_t room = 0;       // bytes the field owns from offset; beyond size only for texts
    EFieldKind kind = EFieldKind::Check;
    const char *label = nullptr; // translatable, as the tree shows it; "%1" is the index + 1
    const char *name = nullptr;  // JSON key in its group's element; empty: the element itself
    TComboEntries entries;
    // Combo entries that follow another byte of the record: while it is zero, these apply.
    int8_t selector = -1;
    TComboEntries entriesWhileSelectorZero;
    uint32_t min = 0;
    uint32_t max = 0;
    const char *unit = nullptr; // translatable
    bool shown = true;          // false: no editor shows these bytes
};

// A field at one index of its group.
struct TSettingFieldRef {
    const TSettingField *field = nullptr;
    uint8_t index = 0;

    uint16_t subId() const { return field->fixedSubId >= 0 ? uint16_t(field->fixedSubId) : index; }
};

class SettingsFields
{
    Q_DECLARE_TR_FUNCTIONS(SettingsFields)
public:
    // Shown: translated for people. Stored: the source (Russian) text, for what is written
    // into files, which must not depend on the interface language.
    enum class ETextUse : uint8_t { Shown, Stored };

    static const TSettingField *begin();
    static const TSettingField *end();

    // The field at this offset of record (id, subId); null when there is none.
    static const TSettingField *find(uint16_t id, uint16_t subId, int offset);
    // The field at offset of record (id, subId), which must exist.
    static const TSettingField &at(uint16_t id, uint16_t subId, int offset);

    // The fields of every record of a full configuration under these counts, in the trees'
    // order: group by group, index by index, rows in order.
    static QVector<TSettingFieldRef> instances(const TDeviceCapabilities &counts = DEVICE_F0_CAPABILITIES);

    // With the index filled in.
    static QString groupTitle(const TSettingFieldRef &ref, ETextUse use = ETextUse::Shown);
    static QString label(const TSettingFieldRef &ref, ETextUse use = ETextUse::Shown);
    // "Трансляция в RS-232 (сервер 3) / Адрес сервера": title and label, no trailing colon.
    static QString displayName(const TSettingFieldRef &ref, ETextUse use = ETextUse::Shown);
    // "servers[2].address", "rs232.baud_rate", "phones[4]", "sensor_add_mode".
    static QString key(const TSettingFieldRef &ref);

    // The entries a combo offers for this record (the record's bytes from its start).
    static TComboEntries comboEntries(const TSettingField &field, const uint8_t *record);
    // The same as texts: value -> text.
    static QMap<int, QString> comboItems(const TSettingField &field, const uint8_t *record,
                                         ETextUse use = ETextUse::Shown);

    static QString translated(const char *source, ETextUse use = ETextUse::Shown);
};
