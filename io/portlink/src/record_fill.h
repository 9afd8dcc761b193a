// How a decoder fills one record: it works on a copy of the record and
// writes it back only when the frame was good, so that a failed frame leaves
// F_ParseString's slots as they were. Every field the frame carries gets its
// change bit; its valid bit follows whether the field held a value.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <type_traits>

#include "helm/portlink/channel_memory.h"
#include "sentence_fields.h"

namespace helm::portlink {

// A field of a packed record, by its offset: a pointer to a member of a
// packed structure would lose the packing and store misaligned.
template <class Member>
struct FieldAt {
    size_t offset;
};
#define FIELD_AT(Record, member) ::helm::portlink::FieldAt<decltype(Record::member)>{offsetof(Record, member)}

inline void mark_field(sPARSED_RECORD& head, uint32_t bit, bool valid)
{
    head.change_mask |= 1u << bit;
    if (valid)
        head.valid_mask |= 1u << bit;
    else
        head.valid_mask &= ~(1u << bit);
}

template <class Record>
class RecordFill {
public:
    explicit RecordFill(BYTE* at) : m_at(at) { std::memcpy(&m_record, at, sizeof m_record); }

    Record& record() { return m_record; }

    // A field as scanned: carried or not, with a value or empty. A number
    // that its field cannot hold is carried but not valid.
    template <class Member>
    void put(uint32_t bit, const Field& field, FieldAt<Member> member)
    {
        if (!field.carried())
            return;
        Member value{};
        if (field.has_value() && fits(field.number, &value))
            set(bit, member, value);
        else
            clear(bit);
    }
    void put_letter(uint32_t bit, const Field& field, FieldAt<char> member)
    {
        if (!field.carried())
            return;
        if (field.has_value())
            set(bit, member, field.letter);
        else
            clear(bit);
    }
    // A value the frame carried.
    template <class Member, class Value>
    void set(uint32_t bit, FieldAt<Member> member, Value value)
    {
        static_assert(std::is_trivially_copyable_v<Member>);
        const Member stored = static_cast<Member>(value);
        std::memcpy(reinterpret_cast<BYTE*>(&m_record) + member.offset, &stored, sizeof stored);
        mark_field(m_record.head, bit, true);
    }
    // A field the frame carried empty.
    void clear(uint32_t bit) { mark(bit, false); }
    // A field the decoder wrote itself (an array, a letter it checked).
    void mark(uint32_t bit, bool valid) { mark_field(m_record.head, bit, valid); }
    // A field the frame carried but marked as not to be trusted (a status
    // that says "no fix", a value out of the sensor's range).
    void invalidate(uint32_t bit) { m_record.head.valid_mask &= ~(1u << bit); }
    bool valid(uint32_t bit) const { return (m_record.head.valid_mask >> bit) & 1u; }

    int commit()
    {
        std::memcpy(m_at, &m_record, sizeof m_record);
        return 0;
    }

private:
    template <class Member>
    static bool fits(double number, Member* value)
    {
        if constexpr (std::is_integral_v<Member>) {
            if (!(number >= static_cast<double>(std::numeric_limits<Member>::min()) &&
                  number <= static_cast<double>(std::numeric_limits<Member>::max())))
                return false;
        }
        *value = static_cast<Member>(number);
        if constexpr (std::is_floating_point_v<Member>)
            return std::isfinite(*value);
        return true;
    }

    BYTE* m_at;
    Record m_record;
};

}  // namespace helm::portlink
