// An inertial navigation system on the far side of a link, for tests and
// for the talvor-sim program's inertial mode. It answers the "$PVRNK"
// text asks (system code, information texts, status and enumeration
// lists) and the "CONFIG" asks and sets from its own stored settings
// (written from the sentence descriptions in sensorlink/README.md, not
// from Helmcore's tables), keeps what is set, and sends the data
// sentences at a set period. Time is given by the caller.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace talvor_sim {

class InertialSimulator {
public:
    // `code` is the five-letter system code the "EQP___" answer carries
    // ("QUIL7", "SELVO", "SUBQU"...).
    explicit InertialSimulator(std::string code = "QUIL7", uint32_t data_period_ms = 100);

    void receive(std::string_view bytes, uint32_t now_ms);
    void advance(uint32_t now_ms);
    std::string take_output();

    void set_data_enabled(bool on) { m_data_on = on; }
    // A sleeping system sends "$PVRNK,SLEEP_" in place of its data until
    // it gets "$PVRNK,CONFIG,WAKEUP".
    void set_asleep(bool asleep) { m_asleep = asleep; }
    bool asleep() const { return m_asleep; }
    void drop_next_answers(int count) { m_drop = count; }
    // How many beacons "USBNBB" reports (its settings exist for 0 to 2).
    void set_beacons(int count) { m_beacons = count; }

    // The stored fields of a setting ("RSCM_A", "USBKFM1"); empty if none.
    std::vector<std::string> item(const std::string& keyword) const;
    int serial_ports() const { return m_serial; }
    int saves() const { return m_saves; }
    int resets() const { return m_resets; }
    int sets_taken() const { return m_sets; }
    int refused() const { return m_refused; }
    const std::string& code() const { return m_code; }

private:
    struct Item {
        std::string shape;  // one letter per field, see ins_simulator.cpp
        std::vector<std::string> fields;
    };
    void build();
    void handle(std::string_view body);
    void handle_text(const std::vector<std::string_view>& f);
    void handle_config(const std::vector<std::string_view>& f);
    void answer(const std::string& body);
    void send_data(uint32_t at_ms);

    std::string m_code;
    uint32_t m_period_ms;
    uint32_t m_next_data_ms = 0;
    bool m_data_started = false;
    bool m_data_on = true;
    bool m_asleep = false;
    int m_drop = 0;
    int m_beacons = 2;
    int m_serial = 7, m_pulse = 2, m_analog = 4;
    uint64_t m_rounds = 0;
    std::string m_rx;
    std::string m_out;
    std::map<std::string, Item> m_items;
    std::map<std::string, std::string> m_info;
    std::map<std::string, std::vector<std::pair<int, std::string>>> m_lists;  // "KEY/field" -> texts
    int m_saves = 0, m_resets = 0, m_sets = 0, m_refused = 0;
};

}  // namespace talvor_sim
