"Merení"	1
"Úloha"	2
"Fáze"	3
"Výber"	4
"úlohy"	5
"Startovní"	6
"síla"	7
"poloha"	8
"Pocet"	9
"fází"	10
"Kontrolní"	11
"body"	12
"Horní"	13
"pásmo"	14
"Dolní"	15
"Zmetky"	16
"Kusy v"	17
"koši"	18
"Potvrzení"	19
"zmetku"	20
"rucne"	21
"Uživatelé"	22
"Nový"	23
"uživatel"	24
"Zmena"	25
"hesla"	26
"Historie"	27
"Smazat"	28
"historii"	29
"Vstupy"	30
"a"	31
"výstupy"	32
"Výstup"	33
"Kalibrace"	34
"Rozsah"	35
"síly"	36
"Kalibracní"	37
"záváží"	38
"Nula"	39
"polohy"	40
"Datum"	41
"cas"	42
"Jazyk"	43
"Kontrast"	44
"displeje"	45
"Kopie"	46
"Chyby"	47
3,1,0,1,0,0		Merení	1
2,0,0,2,1001		Úloha "NomeLavoro"	2
2,0,0,3,1002		Fáze "NomeFase"	3
2,0,0,4,5		Výber úlohy	4
2,0,174,6,7		Startovní síla	5
2,0,159,6,8		Startovní poloha	6
2,0,12,9,10		Pocet fází	7
2,0,0,11,12		Kontrolní body	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,13,14		Horní pásmo	12
2,0,22,15,14		Dolní pásmo	13
3,2,0,16,0,0		Zmetky	14
2,0,30,17,18		Kusy v koši	15
3,0,0,19,20,21		Potvrzení zmetku rucne	16
3,3,0,22,0,0		Uživatelé	17
2,0,0,23,24		Nový uživatel	18
2,0,0,25,26		Zmena hesla	19
3,4,0,27,0,0		Historie	20
2,0,0,28,29		Smazat historii	21
3,0,0,30,31,32		Vstupy a výstupy	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,33,1003		Výstup "Brake"	26
3,5,0,34,0,0		Kalibrace	27
2,0,40,35,36		Rozsah síly	28
2,0,41,37,38		Kalibracní záváží	29
2,0,0,39,40		Nula polohy	30
3,6,50,0,0,0			31
3,0,0,41,31,42		Datum a cas	32
1,0,0,43		Jazyk	33
2,0,60,44,45		Kontrast displeje	34
3,0,0,46,5,1001		Kopie úlohy "NomeLavoro"	35
1,0,0,47		Chyby	36
