// engine sources arrive with the pattern engine
