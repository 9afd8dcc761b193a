// The component layer: identities, results, automation values, calls by
// dispatch id, events, the control registry, creation and hosting in
// dialogs. Plug-ins add helm/com/control.h for the bases of their objects.
#pragma once

#include "helm/com/hresult.h"
#include "helm/com/guid.h"
#include "helm/com/unknown.h"
#include "helm/com/bstr.h"
#include "helm/com/variant.h"
#include "helm/com/oledate.h"
#include "helm/com/olecolor.h"
#include "helm/com/dispatch.h"
#include "helm/com/connection.h"
#include "helm/com/registry.h"
#include "helm/com/creation.h"
#include "helm/com/hosting.h"
