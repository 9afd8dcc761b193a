// Everything the signal-processing library exports.
#pragma once

#include "sigproc/CScrollBuffer.h"
#include "sigproc/CVecteur2D.h"
#include "sigproc/C_TraitSig.h"
#include "sigproc/Graduation.h"
#include "sigproc/SignalToolbox.h"
