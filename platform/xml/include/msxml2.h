// The XML document object model, as the system's code includes it.
#pragma once

#include "helm/xml/dom.h"
