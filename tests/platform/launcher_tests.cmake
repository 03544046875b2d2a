# Tests of the launcher part of platform/.
