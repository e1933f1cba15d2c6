// The three messages of the take-back negotiation, as the window and the session name them.
#pragma once

enum class TTakeBack { Request, Consent, Refusal };
