// A Talvor on the far side of a link, for tests and for the talvor-sim
// program. It answers every ask and set of the sensor's command set from
// its own stored configuration (written from the sentence descriptions in
// sensorlink/README.md, not from Helmcore's tables), keeps what is set,
// answers the wake-up and save sequences, sends the data sentences of a
// ship's motion at a set period, and injects faults on request. Time is
// given by the caller, so a run is deterministic.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace talvor_sim {

enum class Model { Talvor3, Talvor4 };

class Simulator {
public:
    explicit Simulator(Model model, uint32_t data_period_ms = 100);

    // Bytes from the link at time `now_ms`: each complete sentence with a
    // good checksum is handled; answers go to the output (or wait, when
    // answers are delayed).
    void receive(std::string_view bytes, uint32_t now_ms);
    // Moves the clock: releases delayed answers and sends the data
    // sentences that are due (while data is on).
    void advance(uint32_t now_ms);
    // Everything sent since the last call.
    std::string take_output();

    void set_data_enabled(bool on) { m_data_on = on; }
    // A sleeping sensor sends "$KVST_,SLEEP" in place of its data until it
    // is woken with "$KVST_,WAKE".
    void set_asleep(bool asleep) { m_asleep = asleep; }
    bool asleep() const { return m_asleep; }

    // Faults.
    void drop_next_answers(int count) { m_drop = count; }
    void delay_answers(uint32_t ms) { m_delay_ms = ms; }
    void corrupt_next_checksums(int count) { m_corrupt = count; }
    void set_garbage_between_sentences(bool on) { m_garbage = on; }
    void overlong_line_before_next(int count) { m_overlong = count; }

    // What the sensor holds: the fields of an item ("RSCM_A", "KVBIA"...)
    // as it answers them; empty when the item does not exist.
    std::vector<std::string> item(const std::string& name) const;
    int saves() const { return m_saves; }
    int resets() const { return m_resets; }
    int asks_answered() const { return m_answered; }
    int sets_taken() const { return m_sets; }
    int sentences_refused() const { return m_refused; }
    const char* model_code() const { return m_model == Model::Talvor3 ? "TALV3" : "TALV4"; }

private:
    struct Item {
        std::string shape;  // one letter per field, see simulator.cpp
        std::vector<std::string> fields;
    };
    struct Text {
        int code;
        std::string text;
    };

    void build_configuration();
    void build_texts();
    void handle(std::string_view sentence, uint32_t now_ms);
    void handle_text_ask(const std::vector<std::string_view>& f);
    void handle_item(const std::string& name, const std::vector<std::string_view>& values, const std::string& head);
    void answer(const std::string& body, uint32_t now_ms);
    void send(const std::string& body);
    void send_data(uint32_t now_ms);
    std::string answer_of(const std::string& name, const std::string& head) const;

    Model m_model;
    uint32_t m_period_ms;
    uint32_t m_next_data_ms = 0;
    uint32_t m_last_now_ms = 0;
    uint64_t m_data_rounds = 0;
    bool m_data_on = true;
    bool m_asleep = false;
    std::string m_rx;
    std::string m_out;
    std::deque<std::pair<uint32_t, std::string>> m_delayed;
    std::map<std::string, Item> m_items;
    std::map<std::string, std::string> m_heads;  // item name -> sentence head
    std::map<std::string, std::map<int, std::vector<Text>>> m_lists;  // name -> field -> texts
    int m_drop = 0;
    uint32_t m_delay_ms = 0;
    int m_corrupt = 0;
    bool m_garbage = false;
    int m_overlong = 0;
    int m_saves = 0;
    int m_resets = 0;
    int m_answered = 0;
    int m_sets = 0;
    int m_refused = 0;
};

// The NMEA checksum of a sentence body (the text between "$" and "*").
std::string with_checksum(std::string_view body_with_dollar);

// The heading the simulated ship has at `ms` of the simulator's clock
// (a steady turn), as its "$HEHDT" sentences carry it.
double heading_at(uint32_t ms);

}  // namespace talvor_sim
