// The CAD runtime as applications see it: the system registry, the dynamic
// linker, the command stack, documents, editor input and output, environment
// settings, selection sets and the wildcard matcher.
#pragma once

#include "cad/adsdef.h"
#include "cad/runtime/command_processor.h"
#include "cad/runtime/command_stack.h"
#include "cad/runtime/doc_manager.h"
#include "cad/runtime/dynamic_linker.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/editor_prompts.h"
#include "cad/runtime/editor_reactor.h"
#include "cad/runtime/environment_settings.h"
#include "cad/runtime/rx_dictionary.h"
#include "cad/runtime/selection_set.h"
#include "cad/runtime/wc_match.h"
