#pragma once
// The object store: everything a caller needs.
#include "platform/zordata/aggr.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/dictionary.h"
#include "platform/zordata/errors.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/maps.h"
#include "platform/zordata/query.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/stepdatafile.h"
#include "platform/zordata/stepmgr.h"
#include "platform/zordata/taggr.h"
#include "platform/zordata/value.h"
