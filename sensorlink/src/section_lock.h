// Holds a critical section for a scope.
#pragma once

#include "helm/kernel/sync.h"

namespace helm::sensorlink {

class SectionLock {
public:
    explicit SectionLock(CRITICAL_SECTION* section) : m_section(section) { EnterCriticalSection(m_section); }
    ~SectionLock() { LeaveCriticalSection(m_section); }
    SectionLock(const SectionLock&) = delete;
    SectionLock& operator=(const SectionLock&) = delete;

private:
    CRITICAL_SECTION* m_section;
};

}  // namespace helm::sensorlink
