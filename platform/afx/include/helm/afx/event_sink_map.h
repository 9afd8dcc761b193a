// Event sink maps: a window that hosts controls (a dialog, usually) lists
// the events it handles between BEGIN_EVENTSINK_MAP(class, base) and
// END_EVENTSINK_MAP(), one ON_EVENT(class, control id, dispatch id,
// handler, VTS_ parameter list) each. The class library connects the
// window to each hosted control its map names, on the control's default
// event interface, when the dialog initialises (or when CreateControl makes
// the control), and disconnects when the window goes. The event's
// arguments are converted to the listed types, then to the handler's
// parameter types; a handler returns void, or BOOL where FALSE passes the
// event on to the base class's map.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include <windows.h>

class CCmdTarget;

struct AFX_EVENTSINKMAP_ENTRY {
    UINT nCtlID;
    DISPID dispid;
    const BYTE* pbParams;  // VTS_ codes of the event's arguments
    BOOL (*pfn)(CCmdTarget* target, helm::com::Arguments& args);
};

struct AFX_EVENTSINKMAP {
    const AFX_EVENTSINKMAP* (*pfnGetBaseMap)();
    const AFX_EVENTSINKMAP_ENTRY* lpEntries;
};

#define DECLARE_EVENTSINK_MAP()                                \
protected:                                                     \
    static const AFX_EVENTSINKMAP* GetThisEventSinkMap();      \
    const AFX_EVENTSINKMAP* GetEventSinkMap() const override;  \
                                                               \
private:

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                                             \
    const AFX_EVENTSINKMAP* theClass::GetEventSinkMap() const { return GetThisEventSinkMap(); } \
    const AFX_EVENTSINKMAP* theClass::GetThisEventSinkMap()                                  \
    {                                                                                        \
        using TheBaseClass = baseClass;                                                      \
        static const AFX_EVENTSINKMAP_ENTRY _eventsinkEntries[] = {

#define END_EVENTSINK_MAP()                                                                        \
    {0, 0, nullptr, nullptr}                                                                       \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_EVENTSINKMAP eventsinkMap = {&TheBaseClass::GetThisEventSinkMap, &_eventsinkEntries[0]}; \
    return &eventsinkMap;                                                                          \
    }

#define ON_EVENT(theClass, id, dispid, pfnHandler, vtsParams)                                              \
    {static_cast<UINT>(id), static_cast<DISPID>(dispid), reinterpret_cast<const BYTE*>(vtsParams),          \
     [](CCmdTarget* target, helm::com::Arguments& args) -> BOOL {                                          \
         return helm::afx::call_event_handler(static_cast<theClass*>(target), &theClass::pfnHandler, args); \
     }},

namespace helm::afx {

// An event argument, already of its listed type, as the handler's
// parameter type `T`.
template <class T>
T event_argument(VARIANT& value)
{
    if constexpr (std::is_same_v<T, VARIANT*> || std::is_same_v<T, const VARIANT*>)
        return (value.vt & VT_BYREF) && (value.vt & VT_TYPEMASK) == VT_VARIANT ? value.pvarVal : &value;
    else if constexpr (std::is_same_v<T, BSTR>)
        return value.vt == VT_BSTR ? value.bstrVal : nullptr;
    else if constexpr (std::is_same_v<T, char*> || std::is_same_v<T, const char*>)
        return value.vt == (VT_I1 | VT_BYREF) ? value.pcVal : nullptr;
    else if constexpr (std::is_pointer_v<T>)
        return (value.vt & VT_BYREF) ? static_cast<T>(value.byref) : nullptr;
    else {
        static_assert(std::is_arithmetic_v<T>, "an event handler parameter of a type events cannot carry");
        switch (value.vt) {
        case VT_I1: return static_cast<T>(value.cVal);
        case VT_UI1: return static_cast<T>(value.bVal);
        case VT_I2: return static_cast<T>(value.iVal);
        case VT_BOOL: return static_cast<T>(value.boolVal);
        case VT_UI2: return static_cast<T>(value.uiVal);
        case VT_I4: return static_cast<T>(value.lVal);
        case VT_UI4: return static_cast<T>(value.ulVal);
        case VT_R4: return static_cast<T>(value.fltVal);
        case VT_R8: return static_cast<T>(value.dblVal);
        case VT_DATE: return static_cast<T>(value.date);
        default: return T{};
        }
    }
}

// Calls the handler with the arguments; TRUE when it took the event.
template <class T, class C, class R, class... P>
BOOL call_event_handler(T* self, R (C::*handler)(P...), helm::com::Arguments& args)
{
    if (args.size() != sizeof...(P))
        return FALSE;
    auto call = [&]<size_t... I>(std::index_sequence<I...>) {
        return (self->*handler)(event_argument<std::remove_cvref_t<P>>(args[I])...);
    };
    if constexpr (std::is_void_v<R>) {
        call(std::make_index_sequence<sizeof...(P)>{});
        return TRUE;
    } else {
        return call(std::make_index_sequence<sizeof...(P)>{}) ? TRUE : FALSE;
    }
}

}  // namespace helm::afx
