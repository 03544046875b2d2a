# Tests of the files part of platform/.
