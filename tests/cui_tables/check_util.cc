#include "check_util.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

using std::string;

Bytes u32(uint32_t v)
{
	Bytes b(4);
	memcpy(b.data(), &v, 4);
	return b;
}

Bytes txt(const string &s)
{
	return Bytes(s.begin(), s.end());
}

Bytes hx(const char *digits)
{
	Bytes b;
	for (; digits[0] && digits[1]; digits += 2)
		b.push_back((uint8_t)strtoul(string(digits, 2).c_str(), nullptr, 16));
	return b;
}

Outcome check_rec(const cs_comm_c2m_t *rec, const std::vector<string> &values, int index, int level,
		  int set_type)
{
	memset(&cui_soft, 0, sizeof(cui_soft));
	cui_soft.debug_level = (uint8_t)level;
	cui_soft.set_type = (uint8_t)set_type;
	std::vector<string> args = {"kp7cui", "-s", "-t", "c", "NAME", "0"};
	args.insert(args.end(), values.begin(), values.end());
	std::vector<char *> argv;
	for (string &a : args)
		argv.push_back(&a[0]);
	argv.push_back(nullptr);
	cui_soft.n_arg = FIRST_VALUE;
	/* the traces go to standard output */
	fflush(stdout);
	testing::internal::CaptureStdout();
	int code = CsCheckAndMakeData(&cui_soft, (int)args.size(), argv.data(), index, rec, cui_soft.msg);
	fflush(stdout);
	Outcome o{code, cui_soft.msg, Bytes(cui_soft.msg, cui_soft.msg + sizeof(cui_soft.msg)),
		  testing::internal::GetCapturedStdout(), cui_soft.n_arg};
	return o;
}

Outcome check(const char *name, const std::vector<string> &values, int index, int level, int set_type)
{
	const cs_comm_c2m_t *rec = cs_find_set_name(name);
	EXPECT_NE(rec, nullptr) << name;
	return check_rec(rec, values, index, level, set_type);
}

void expect_value(const Outcome &o, const Bytes &want, const string &what)
{
	ASSERT_EQ(o.code, 0) << what << ": " << o.msg;
	Bytes padded = want;
	padded.resize(o.out.size());
	EXPECT_EQ(o.out, padded) << what;
}

void expect_refused(const Outcome &o, int code, const string &msg, const string &what)
{
	EXPECT_EQ(o.code, code) << what;
	EXPECT_EQ(o.msg, msg) << what;
}

string repeat(char c, size_t n)
{
	return string(n, c);
}

