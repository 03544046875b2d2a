# Tests of the folders part of platform/.
