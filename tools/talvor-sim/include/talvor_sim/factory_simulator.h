// The sensor in its factory mode, for tests and for the talvor-sim
// program: it answers the wake-up and version sentences with its system
// information, every calibration parameter ask and set ("$KVST_" and
// "$CIPRG") from its own store, element by element for the matrices, and
// takes a firmware upload (start address, program data sentences, block
// checks), keeping the words it received. Written from the sentence
// descriptions in sensorlink/README.md, not from Helmcore's code.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace talvor_sim {

class FactorySimulator {
public:
    explicit FactorySimulator(int dsp_type = 5);

    void receive(std::string_view bytes);
    std::string take_output();

    // Stored values of a parameter ("QGF_", "QGM1": nine values row by
    // row, "NET_" and "MODE" as their texts).
    std::vector<double> values(const std::string& key) const;
    std::vector<std::string> texts(const std::string& key) const;
    const std::string& serial_number() const { return m_serial; }
    int system_number() const { return m_number; }
    const std::vector<uint32_t>& program() const { return m_program; }
    uint32_t program_address() const { return m_address; }
    int blocks_checked() const { return m_blocks; }
    bool upload_finished() const { return m_finished; }
    int refused() const { return m_refused; }
    int wake_ups() const { return m_wake_ups; }

private:
    void handle(std::string_view body);
    void answer(const std::string& body);
    void answer_info();
    void answer_values(const std::string& head, const std::string& key);
    bool take_program(std::string_view data);

    int m_dsp;
    std::string m_rx, m_out;
    std::map<std::string, std::vector<double>> m_values;
    std::map<std::string, std::vector<std::string>> m_texts;
    std::map<std::string, int> m_cursor;  // matrices: next element
    std::string m_serial = "FAC-000777";
    int m_number = 3;
    std::vector<uint32_t> m_program;
    uint32_t m_address = 0;
    uint32_t m_xor = 0;
    int m_blocks = 0;
    bool m_finished = false;
    int m_refused = 0;
    int m_wake_ups = 0;
};

}  // namespace talvor_sim
