// The decoders the dispatch tables name. Each is a RecordDecoder: it fills
// the records of its row from one frame and returns 0 or a negative code.
#pragma once

#include "helm/portlink/protocol_table.h"

namespace helm::portlink {

// NMEA sentences (the NMEA switch).
int decode_gga(const FrameContext& frame, BYTE* const* records);
int decode_gll(const FrameContext& frame, BYTE* const* records);
int decode_rmc(const FrameContext& frame, BYTE* const* records);
int decode_gst(const FrameContext& frame, BYTE* const* records);
int decode_gsa(const FrameContext& frame, BYTE* const* records);
int decode_hdt(const FrameContext& frame, BYTE* const* records);
int decode_hdt_attitude(const FrameContext& frame, BYTE* const* records);
int decode_hdm(const FrameContext& frame, BYTE* const* records);
int decode_vtg(const FrameContext& frame, BYTE* const* records);
int decode_zda(const FrameContext& frame, BYTE* const* records);
int decode_dbs(const FrameContext& frame, BYTE* const* records);
int decode_dbt(const FrameContext& frame, BYTE* const* records);
int decode_dpt(const FrameContext& frame, BYTE* const* records);
int decode_pkel(const FrameContext& frame, BYTE* const* records);
int decode_pser(const FrameContext& frame, BYTE* const* records);
int decode_atitud(const FrameContext& frame, BYTE* const* records);
int decode_heave(const FrameContext& frame, BYTE* const* records);
int decode_positi(const FrameContext& frame, BYTE* const* records);
int decode_pdas(const FrameContext& frame, BYTE* const* records);
int decode_fog(const FrameContext& frame, BYTE* const* records);
int decode_pifm(const FrameContext& frame, BYTE* const* records);
int decode_osm(const FrameContext& frame, BYTE* const* records);
int decode_aga(const FrameContext& frame, BYTE* const* records);
int decode_rmn(const FrameContext& frame, BYTE* const* records);
int decode_mag(const FrameContext& frame, BYTE* const* records);
int decode_vlt(const FrameContext& frame, BYTE* const* records);

// Named protocols.
int decode_tritech(const FrameContext& frame, BYTE* const* records);
int decode_layback(const FrameContext& frame, BYTE* const* records);
int decode_trackpoint(const FrameContext& frame, BYTE* const* records);
int decode_morvella(const FrameContext& frame, BYTE* const* records);
int decode_nr202k(const FrameContext& frame, BYTE* const* records);
int decode_ats(const FrameContext& frame, BYTE* const* records);
int decode_deso(const FrameContext& frame, BYTE* const* records);
int decode_elac(const FrameContext& frame, BYTE* const* records);
int decode_seatex(const FrameContext& frame, BYTE* const* records);
int decode_tss1(const FrameContext& frame, BYTE* const* records);
int decode_simrad(const FrameContext& frame, BYTE* const* records);
int decode_ms1000(const FrameContext& frame, BYTE* const* records);

// Sets the PC clock from a UTC date (yyyymmdd) and time of day through the
// kernel's clock setter, unless the frame's options said "NOCLOCK". True
// when the clock was set.
bool set_clock_from_utc(const FrameContext& frame, int date, double seconds);

}  // namespace helm::portlink
